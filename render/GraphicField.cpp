#include "GraphicField.h"

#include "Label.h"

#include <zlib.h>

#include <cstring>

namespace zpl {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// zlib data inflated into at most `limit` bytes.
QByteArray inflateBounded(const QByteArray &in, qsizetype limit, bool *overflow, bool *broken)
{
    QByteArray out(limit, '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        *broken = true;
        return {};
    }
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(limit);
    const int result = inflate(&z, Z_FINISH);
    *overflow = result == Z_BUF_ERROR && z.avail_out == 0;
    *broken = result != Z_STREAM_END && !*overflow;
    out.truncate(qsizetype(limit - z.avail_out));
    inflateEnd(&z);
    return out;
}

// The :Z64: / :B64: form: base64 text, then ':' and four hex digits of CRC.
QByteArray decodeBase64Form(const QByteArray &data, qsizetype total, QStringList *notes)
{
    const bool zipped = data.startsWith(":Z64:");
    const QByteArray rest = data.mid(5);
    const qsizetype colon = rest.indexOf(':');
    const QByteArray text = colon < 0 ? rest : rest.left(colon);
    const QByteArray crc = colon < 0 ? QByteArray() : rest.mid(colon + 1).trimmed();
    bool ok = false;
    if (crc.size() != 4 || crc.toUShort(&ok, 16) != Crc16(text) || !ok)
        notes->append(QStringLiteral("the CRC of the %1 data does not match").arg(zipped ? "Z64" : "B64"));
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        notes->append(QStringLiteral("the base64 data is not valid"));
        return {};
    }
    if (!zipped)
        return decoded.decoded.left(total);
    bool overflow = false, broken = false;
    const QByteArray out = inflateBounded(decoded.decoded, total, &overflow, &broken);
    if (overflow)
        notes->append(QStringLiteral("the compressed data holds more than the declared %1 bytes; cut").arg(total));
    if (broken)
        notes->append(QStringLiteral("the compressed data is damaged"));
    return out;
}

// Hex digits with the repeat letters and row shortcuts, into rows of `row`
// bytes. The ZPL guide's "Alternative Data Compression Scheme for ~DG and ~DB
// Commands" defines a repeat letter by the digits it stands for: "Sending M6
// to the printer is identical to sending the following hexadecimal data:
// 6666666", and "ZPL II ignores the end of a text line". So the data is one
// stream of hex digits that fills the rows in turn, and a repeat carries on
// into the next row as image encoders write it. "a comma (,) fills the line,
// to the right, with zeros (0) until the specified line byte is filled", "an
// exclamation mark (!) fills the line, to the right, with ones (1)" and "a
// colon (:) denotes repetition of the previous line": those three finish the
// current row (a whole row when none of it is written yet).
QByteArray decodeHex(const QByteArray &data, qsizetype total, int row, QStringList *notes)
{
    QByteArray out(total, '\0');
    const qsizetype end = total * 2, line = qsizetype(row) * 2;    // in hex digits
    qsizetype at = 0;
    const auto put = [&](int value, qsizetype count) {
        for (const qsizetype stop = qMin(end, at + count); at < stop; ++at)
            out[at / 2] = char(out[at / 2] | (at % 2 ? value : value << 4));
    };
    int repeat = 0;
    bool bad = false;
    for (const char c : data) {
        if (at >= end)
            break;
        const int digit = hexValue(c);
        if (c >= 'G' && c <= 'Y') {
            repeat = qMin(repeat + c - 'G' + 1, 1 << 24);
        } else if (c >= 'g' && c <= 'z') {
            repeat = qMin(repeat + (c - 'g' + 1) * 20, 1 << 24);
        } else if (digit >= 0) {
            put(digit, qMax(1, repeat));
            repeat = 0;
        } else if (c == ',' || c == '!' || c == ':') {
            const qsizetype start = at - at % line;
            const qsizetype bytes = qMin<qsizetype>(row, total - start / 2);
            if (c == ':')       // on the first row there is none to repeat: blank
                out.replace(start / 2, bytes, start > 0 ? out.mid(start / 2 - row, bytes) : QByteArray(bytes, '\0'));
            else
                put(c == '!' ? 0xf : 0, start + line - at);
            at = qMin(end, start + line);
            repeat = 0;
        } else if (c != ' ' && c != '\r' && c != '\n' && c != '\t') {
            bad = true;
        }
    }
    if (bad)
        notes->append(QStringLiteral("characters other than hex digits and compression codes were skipped"));
    // A row begun is a row received; the rest of it stays blank.
    return out.left(qMin(total, (at + line - 1) / line * row));
}

// A repeat count as its letters. The ZPL guide: G to Y "represent the repeat
// counts 1, 2, 3, 4, 5, ...., 19 on a subsequent Hexadecimal value", g to z
// "the repeat counts 20, 40, 60, 80,....400", and "Several repeat values can
// be used together to achieve any desired value. vMB or MvB will send 327
// hexadecimal B's to the printer". A run longer than 400 takes z more than once.
QByteArray repeatLetters(qsizetype count)
{
    QByteArray letters(count / 400, 'z');
    count %= 400;
    if (count >= 20)
        letters += char('g' + count / 20 - 1);
    if (count % 20)
        letters += char('G' + count % 20 - 1);
    return letters;
}

// One row's hex digits, compressed. The guide: "a comma (,) fills the line, to
// the right, with zeros (0) until the specified line byte is filled", "an
// exclamation mark (!) fills the line, to the right, with ones (1)", and "If
// the HEX string ends in an even number of zeros (0's), a single comma (,) can
// be substituted for ALL of the zeros. If the HEX string ends in an odd number
// of zeros, one zero and a single comma is required". A run of two or more
// digits takes its repeat letters.
QByteArray compressRow(const QByteArray &hex)
{
    qsizetype end = hex.size();
    QByteArray fill;
    const char last = hex.back();
    if (last == '0' || last == 'F') {
        qsizetype start = end;
        while (start > 0 && hex[start - 1] == last)
            --start;
        if (end - start >= 2) {
            fill = last == '0' ? "," : "!";
            end = start + (end - start) % 2;
        }
    }
    QByteArray out;
    for (qsizetype at = 0; at < end;) {
        qsizetype run = 1;
        while (at + run < end && hex[at + run] == hex[at])
            ++run;
        if (run > 1)
            out += repeatLetters(run);
        out += hex[at];
        at += run;
    }
    return out + fill;
}

} // namespace

QByteArray EncodeGraphicField(const QImage &image)
{
    const int row = (image.width() + 7) / 8;
    QByteArray data, previous;
    QByteArray bytes(row, '\0');
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        bytes.fill('\0');
        for (int x = 0; x < image.width(); ++x)     // the bits past the width stay 0
            if (line[x >> 3] & (0x80 >> (x & 7)))
                bytes[x >> 3] = char(bytes[x >> 3] | (0x80 >> (x & 7)));
        const QByteArray hex = bytes.toHex().toUpper();
        // The guide: "a colon (:) denotes repetition of the previous line".
        data += y > 0 && hex == previous ? QByteArray(":") : compressRow(hex);
        previous = hex;
    }
    const QByteArray total = QByteArray::number(qlonglong(row) * image.height());
    return "^GFA," + total + ',' + total + ',' + QByteArray::number(row) + ',' + data;
}

quint16 Crc16(const QByteArray &data)
{
    quint16 crc = 0;
    for (const char c : data) {
        crc ^= quint16(static_cast<unsigned char>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QImage DecodeGraphicField(const QByteArray &args, char delimiter, QStringList *notes)
{
    qsizetype start = 0;
    QList<QByteArray> p;
    for (int i = 0; i < 4; ++i) {
        const qsizetype end = args.indexOf(delimiter, start);
        p.append(args.mid(start, end < 0 ? -1 : end - start).trimmed());
        start = end < 0 ? args.size() : end + 1;
    }
    const QByteArray data = args.mid(start);
    const QByteArray kind = p.at(0).isEmpty() ? QByteArray("A") : p.at(0).toUpper();
    bool okB = false, okC = false, okD = false;
    const qlonglong count = p.at(1).toLongLong(&okB);
    const qlonglong total = p.at(2).toLongLong(&okC);
    const qlonglong row = p.at(3).toLongLong(&okD);
    if (!okC || !okD || total <= 0 || row <= 0) {
        notes->append(QStringLiteral("the image's byte count and bytes per row must be positive numbers"));
        return {};
    }
    const qlonglong rows = total / row;
    if (row * 8 > MaxMediaDots || rows > MaxMediaDots || rows == 0) {
        notes->append(QStringLiteral("an image of %1 x %2 dots does not fit any label").arg(row * 8).arg(rows));
        return {};
    }
    if (total % row)
        notes->append(QStringLiteral("the byte count is not a whole number of rows"));
    QByteArray bytes;
    if (kind == "A") {
        bytes = data.startsWith(":Z64:") || data.startsWith(":B64:")
                    ? decodeBase64Form(data, total, notes)
                    : decodeHex(data, total, int(row), notes);
        // The ZPL guide's b: "For ASCII download, the parameter should match
        // parameter c"; image encoders often write the data's length there.
        // Either is taken.
        if (okB && count != data.size() && count != total)
            notes->append(QStringLiteral("%1 data bytes declared, %2 received").arg(count).arg(data.size()));
    } else if (kind == "B") {
        bytes = data.left(total);
        if (okB && count != data.size())
            notes->append(QStringLiteral("%1 data bytes declared, %2 received").arg(count).arg(data.size()));
    } else {
        notes->append(kind == "C" ? QStringLiteral("graphic form C (the printer maker's own binary compression, not published) is not supported; send A or B")
                               : QStringLiteral("graphic form %1 is not supported; use A or B").arg(QString::fromLatin1(kind.left(4))));
        return {};
    }
    if (bytes.size() < total)
        notes->append(QStringLiteral("the image holds %1 of its %2 bytes; the rest is blank").arg(bytes.size()).arg(total));
    QImage image(int(row * 8), int(rows), QImage::Format_Mono);
    image.setColorTable({qRgba(255, 255, 255, 0), qRgba(0, 0, 0, 255)});
    image.fill(0);
    for (int y = 0; y < rows; ++y) {
        const qsizetype from = qsizetype(y) * row;
        if (from >= bytes.size())
            break;
        std::memcpy(image.scanLine(y), bytes.constData() + from, size_t(qMin<qsizetype>(row, bytes.size() - from)));
    }
    return image;
}

} // namespace zpl
