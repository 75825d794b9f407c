#include "Png.h"

#include <QtEndian>

#include <zlib.h>

#include <array>
#include <cstring>

namespace zpl {

namespace {

// Deflate (RFC 1951) with the fixed Huffman codes and matches at distance 1
// only: a run of one byte, which is what a label's rows are made of. Several
// times quicker than zlib's run-length mode, for a file a little larger.
class RunLengthDeflater
{
public:
    // Appends to `out`, which has room reserved for the worst case.
    explicit RunLengthDeflater(QByteArray &out) : m_out(out) {}

    void compress(const uchar *data, qsizetype size)
    {
        put(1, 1);  // final block
        put(1, 2);  // fixed codes
        qsizetype i = 0;
        while (i < size) {
            qsizetype run = 0;
            if (i > 0) {
                const uchar previous = data[i - 1];
                const qsizetype most = qMin<qsizetype>(258, size - i);
                quint64 same;
                std::memset(&same, previous, sizeof same);
                for (quint64 word; run + 8 <= most && (std::memcpy(&word, data + i + run, 8), word == same);)
                    run += 8;
                while (run < most && data[i + run] == previous)
                    ++run;
            }
            if (run >= 3) {
                const Code &c = lengthCodes()[run];
                put(c.bits, c.count);
                i += run;
            } else {
                const Code &c = literalCodes()[data[i]];
                put(c.bits, c.count);
                ++i;
            }
        }
        put(0, 7);  // end of block: symbol 256, seven zero bits
        for (; m_count > 0; m_count -= 8, m_bits >>= 8)
            m_out.append(char(m_bits));
    }

private:
    struct Code { quint32 bits = 0; int count = 0; };

    static quint32 reversed(quint32 code, int count)
    {
        quint32 r = 0;
        for (int i = 0; i < count; ++i)
            r |= ((code >> i) & 1u) << (count - 1 - i);
        return r;
    }

    // Literal bytes: 0-143 take eight bits from 0x30, 144-255 nine from 0x190.
    static const std::array<Code, 256> &literalCodes()
    {
        static const std::array<Code, 256> codes = [] {
            std::array<Code, 256> t{};
            for (int v = 0; v < 256; ++v)
                t[v] = v < 144 ? Code{reversed(0x30 + v, 8), 8} : Code{reversed(0x190 + v - 144, 9), 9};
            return t;
        }();
        return codes;
    }

    // A match of length 3-258: its length symbol, the extra bits, then the
    // five zero bits of distance 1, in one piece.
    static const std::array<Code, 259> &lengthCodes()
    {
        static const std::array<Code, 259> codes = [] {
            std::array<Code, 259> t{};
            int symbol = 257, base = 3;
            for (int extra : {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5}) {
                const Code code = symbol < 280 ? Code{reversed(quint32(symbol - 256), 7), 7}
                                               : Code{reversed(quint32(0xc0 + symbol - 280), 8), 8};
                for (int n = 0; n < (1 << extra) && base + n < 258; ++n)
                    t[base + n] = Code{code.bits | quint32(n) << code.count, code.count + extra + 5};
                base += 1 << extra;
                ++symbol;
            }
            t[258] = Code{reversed(0xc5, 8), 8 + 5};   // symbol 285
            return t;
        }();
        return codes;
    }

    void put(quint32 bits, int count)
    {
        m_bits |= quint64(bits) << m_count;
        m_count += count;
        if (m_count >= 32) {
            const qsizetype at = m_out.size();
            m_out.resize(at + 4);
            qToLittleEndian<quint32>(quint32(m_bits), m_out.data() + at);
            m_bits >>= 32;
            m_count -= 32;
        }
    }

    QByteArray &m_out;
    quint64 m_bits = 0;
    int m_count = 0;
};

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
    QByteArray raw(qsizetype(rowBytes + 1) * image.height(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y) {
        char *row = raw.data() + qsizetype(rowBytes + 1) * y;
        row[0] = 0;     // filter: none
        std::memcpy(row + 1, image.constScanLine(y), size_t(rowBytes));
    }
    QByteArray packed("\x78\x01", 2);     // zlib header: deflate, 32 KB window
    packed.reserve(raw.size() * 9 / 8 + 16);   // nine bits a byte at worst
    const auto *bytes = reinterpret_cast<const uchar *>(raw.constData());
    RunLengthDeflater(packed).compress(bytes, raw.size());
    char sum[4];
    qToBigEndian<quint32>(quint32(adler32(adler32(0, nullptr, 0), bytes, uInt(raw.size()))), sum);
    packed.append(sum, 4);

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
