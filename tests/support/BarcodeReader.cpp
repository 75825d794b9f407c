#include "BarcodeReader.h"

#include <ZXing/ReadBarcode.h>

#include <QPainter>

#include <cmath>

namespace testbarcode {

static QList<Decoded> Read(const QImage &image, const ZXing::DecodeHints &hints)
{
    // A white quiet zone, wider than any symbology's at the sizes the tests paint.
    constexpr int QuietZone = 40;
    QImage framed(image.width() + 2 * QuietZone, image.height() + 2 * QuietZone, QImage::Format_Grayscale8);
    framed.fill(Qt::white);
    QPainter(&framed).drawImage(QuietZone, QuietZone, image.convertToFormat(QImage::Format_Grayscale8));
    const ZXing::ImageView view(framed.constBits(), framed.width(), framed.height(), ZXing::ImageFormat::Lum,
                                int(framed.bytesPerLine()));
    QList<Decoded> found;
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints))
        if (result.isValid())
            found.append({QString::fromLatin1(ZXing::ToString(result.format())),
                          QByteArray(reinterpret_cast<const char *>(result.bytes().data()), qsizetype(result.bytes().size())),
                          QString::fromStdString(result.ecLevel())});
    return found;
}

QList<Decoded> ReadAll(const QImage &image)
{
    return Read(image, ZXing::DecodeHints().setTryHarder(true).setTryRotate(true).setMaxNumberOfSymbols(255)
                           .setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read));
}

QList<Decoded> ReadMaxiCode(const QImage &image)
{
    if (image.isNull())
        return {};
    const int pitch = int(std::lround(image.width() / 30.5));
    return Read(image.copy(0, 0, image.width() - pitch / 2, image.height()),
                ZXing::DecodeHints().setIsPure(true).setFormats(ZXing::BarcodeFormat::MaxiCode));
}

} // namespace testbarcode
