#include "Png.h"

#include <QtEndian>

#include <zlib.h>

namespace zpl {

namespace {

void appendChunk(QByteArray &png, const char type[4], const QByteArray &data)
{
    char length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    png.append(length, 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(png.constData() + start), uInt(png.size() - start));
    char sum[4];
    qToBigEndian<quint32>(quint32(crc), sum);
    png.append(sum, 4);
}

} // namespace

QByteArray EncodePng(const QImage &source)
{
    QImage image = source;
    if (image.format() != QImage::Format_Mono || image.colorCount() != 2 || qGray(image.color(1)) > qGray(image.color(0))) {
        image = source.convertToFormat(QImage::Format_Mono, {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                                       Qt::ThresholdDither);
    }
    const int rowBytes = (image.width() + 7) / 8;
    QByteArray raw;
    raw.reserve(qsizetype(rowBytes + 1) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        raw.append('\0');   // filter: none
        raw.append(reinterpret_cast<const char *>(image.constScanLine(y)), rowBytes);
    }
    // Run-length matching only: a label's rows are long runs of one byte.
    QByteArray packed(qsizetype(compressBound(uLong(raw.size()))), '\0');
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE);
    z.next_in = reinterpret_cast<Bytef *>(raw.data());
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef *>(packed.data());
    z.avail_out = uInt(packed.size());
    deflate(&z, Z_FINISH);
    packed.truncate(qsizetype(z.total_out));
    deflateEnd(&z);

    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(image.width()), header.data());
    qToBigEndian<quint32>(quint32(image.height()), header.data() + 4);
    header[8] = 1;      // bit depth
    header[9] = 3;      // palette
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "PLTE", QByteArray("\xff\xff\xff\x00\x00\x00", 6));
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace zpl
