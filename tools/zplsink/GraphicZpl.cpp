#include "GraphicZpl.h"

#include "GraphicField.h"
#include "Label.h"

#include <QBuffer>
#include <QImageReader>

QImage DotsOfImage(const QImage &image)
{
    QImage dots(image.size(), QImage::Format_Mono);
    dots.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    dots.fill(0);
    // In bands of rows: a large grey or indexed image is not held again at 4 bytes a pixel.
    constexpr int Band = 256;
    QImage argb;
    for (int y = 0; y < image.height(); ++y) {
        if (y % Band == 0)
            argb = image.copy(0, y, image.width(), Band).convertToFormat(QImage::Format_ARGB32);
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y % Band));
        uchar *out = dots.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            // Luminance in thousandths of a level, over white paper.
            const qint64 alpha = qAlpha(in[x]);
            const qint64 luma = 299 * qRed(in[x]) + 587 * qGreen(in[x]) + 114 * qBlue(in[x]);
            const qint64 seen = (luma * alpha + 255000 * (255 - alpha)) / 255;
            if (2 * seen < 255000)
                out[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
    return dots;
}

ServiceAnswer AnswerGraphicUpload(const ServiceRequest &request)
{
    const FormPart *file = request.part("file");
    if (!file)
        return ServiceError(400, QStringLiteral("没有图像 / no image: send it as the multipart/form-data part \"file\""));
    QByteArray bytes = file->content;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(256);     // MB: 8000 x 8000 dots at 4 bytes each, the largest taken
    const QSize size = reader.size();
    const auto tooLarge = [](QSize size) {
        return ServiceError(400, QStringLiteral("图像太大 / the image is %1 x %2 dots, over the %3 dots a side that a "
                                                "label can hold")
                                     .arg(size.width()).arg(size.height()).arg(zpl::MaxMediaDots));
    };
    if (size.width() > zpl::MaxMediaDots || size.height() > zpl::MaxMediaDots)
        return tooLarge(size);
    const QImage image = reader.read();
    if (image.isNull())
        return ServiceError(400, QStringLiteral("不是图像 / the part \"file\" is no image this service reads (PNG, JPEG, "
                                                "BMP or GIF): %1").arg(reader.errorString()));
    if (image.width() > zpl::MaxMediaDots || image.height() > zpl::MaxMediaDots)
        return tooLarge(image.size());
    return ServiceResult("text/plain", "^XA^FO0,0" + zpl::EncodeGraphicField(DotsOfImage(image)) + "^FS^XZ");
}
