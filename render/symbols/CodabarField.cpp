#include "CodabarField.h"

#include "BarBuilder.h"
#include "FieldParams.h"

#include <cstring>

namespace zpl {

namespace {

constexpr char kCharacters[] = "0123456789-$:/.+ABCD";
// Wide elements as 7 bits, bar first (most significant).
constexpr int kPatterns[20] = {
    0x003, 0x006, 0x009, 0x060, 0x012, 0x042, 0x021, 0x024, 0x030, 0x048,
    0x00C, 0x018, 0x045, 0x051, 0x054, 0x015, 0x01A, 0x029, 0x00B, 0x00E,
};

void AddCharacter(char c, int narrow, int wide, BarBuilder *bars)
{
    const int pattern = kPatterns[std::strchr(kCharacters, c) - kCharacters];
    for (int element = 0; element < 7; ++element)
        bars->add(element % 2 == 0, (pattern >> (6 - element)) & 1 ? wide : narrow);
}

} // namespace

BarcodeResult EncodeCodabarField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    if (params.flag(0, "Codabar check digit", false))
        result.notes << QStringLiteral("Codabar has no check digit on this printer; none added");
    params.readHeightAndLine(1, "Codabar", request.by.height, &result);
    const char start = params.letter(4, "Codabar start character", 'A', "ABCD");
    const char stop = params.letter(5, "Codabar stop character", 'A', "ABCD");
    QByteArray data, dropped;
    for (char c : request.data) {
        if (c && std::strchr(kCharacters, c) && !std::strchr("ABCD", c))
            data += c;
        else if (!dropped.contains(c))
            dropped += c;
    }
    if (!dropped.isEmpty())
        result.notes << QStringLiteral("Codabar cannot encode \"%1\"; skipped").arg(QString::fromLatin1(dropped));
    if (data.isEmpty()) {
        result.notes << QStringLiteral("Codabar field has no data to encode");
        return result;
    }
    const int narrow = request.by.moduleWidth;
    const int wide = qMax(narrow + 1, qRound(request.by.ratio * narrow));
    const QByteArray all = start + data + stop;
    BarBuilder bars;
    for (int i = 0; i < all.size(); ++i) {
        if (i > 0)
            bars.add(false, narrow); // the gap between characters
        AddCharacter(all.at(i), narrow, wide, &bars);
    }
    result.symbol = bars.take();
    result.text = QString::fromLatin1(all);
    result.ok = true;
    return result;
}

} // namespace zpl
