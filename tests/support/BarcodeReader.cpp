#include "BarcodeReader.h"

#include <ZXing/ReadBarcode.h>

#include <QPainter>

#include <cmath>

namespace testbarcode {

namespace {

// Wider than any symbology's quiet zone at the sizes the tests paint.
constexpr int kQuietZone = 40;

QImage WithQuietZone(const QImage &image)
{
    QImage framed(image.width() + 2 * kQuietZone, image.height() + 2 * kQuietZone, QImage::Format_Grayscale8);
    framed.fill(Qt::white);
    QPainter painter(&framed);
    painter.drawImage(kQuietZone, kQuietZone, image.convertToFormat(QImage::Format_Grayscale8));
    return framed;
}

} // namespace

QList<Decoded> Read(const QImage &image, const ZXing::DecodeHints &hints)
{
    if (image.isNull())
        return {};
    const QImage framed = WithQuietZone(image);
    ZXing::ImageView view(framed.constBits(), framed.width(), framed.height(), ZXing::ImageFormat::Lum,
                          int(framed.bytesPerLine()));
    QList<Decoded> found;
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        const ZXing::ByteArray &bytes = result.bytes();
        found.append({QString::fromLatin1(ZXing::ToString(result.format())),
                      QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())),
                      QString::fromStdString(result.ecLevel())});
    }
    return found;
}

QList<Decoded> ReadAll(const QImage &image)
{
    ZXing::DecodeHints hints;
    hints.setTryHarder(true).setTryRotate(true).setMaxNumberOfSymbols(255);
    return Read(image, hints);
}

QList<Decoded> ReadMaxiCode(const QImage &image)
{
    ZXing::DecodeHints hints;
    hints.setIsPure(true).setFormats(ZXing::BarcodeFormat::MaxiCode);
    const int pitch = int(std::lround(image.width() / 30.5));
    return Read(image.copy(0, 0, image.width() - pitch / 2, image.height()), hints);
}

} // namespace testbarcode
