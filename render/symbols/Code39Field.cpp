#include "Code39Field.h"

#include "BarBuilder.h"
#include "FieldParams.h"

#include <QtMath>

#include <cstring>

namespace zpl {

namespace {

// The 43 characters in check-value order, shared by Code 39 and Code 93.
constexpr char kCharacters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// Code 39: wide elements as 9 bits, bar first (most significant), per value; then '*'.
constexpr int kCode39[44] = {
    0x034, 0x121, 0x061, 0x160, 0x031, 0x130, 0x070, 0x025, 0x124, 0x064, 0x109, 0x049, 0x148, 0x019, 0x118,
    0x058, 0x00D, 0x10C, 0x04C, 0x01C, 0x103, 0x043, 0x142, 0x013, 0x112, 0x052, 0x007, 0x106, 0x046, 0x016,
    0x181, 0x0C1, 0x1C0, 0x091, 0x190, 0x0D0, 0x085, 0x184, 0x0C4, 0x0A8, 0x0A2, 0x08A, 0x02A, 0x094,
};

// Code 93: bar and space widths in modules for values 0-46 ((43)-(46) are
// the shift characters), then the start/stop character.
constexpr const char *kCode93[48] = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114", "131211", "141111",
    "211113", "211212", "211311", "221112", "221211", "231111", "112113", "112212", "112311", "122112",
    "132111", "111123", "111222", "111321", "121122", "131121", "212112", "212211", "211122", "211221",
    "221121", "222111", "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211", "111141",
};

// Code 93's full ASCII: in the field data & ' ( ) stand for its shift
// characters ($) (%) (/) (+), values 43-46, which pair with the letter after them.
constexpr char kCode93Shifts[] = "&'()";

// The check values of `data`'s characters; others are dropped with a note.
// `shifts`: the characters that stand for values 43 and up.
std::vector<int> Values(const QByteArray &data, const char *symbology, QString *kept, QStringList *notes,
                        const char *shifts = "")
{
    std::vector<int> values;
    QByteArray dropped;
    for (char c : data) {
        const char *found = c ? std::strchr(kCharacters, c) : nullptr;
        const char *shift = c ? std::strchr(shifts, c) : nullptr;
        if (found) {
            values.push_back(int(found - kCharacters));
            *kept += QLatin1Char(c);
        } else if (shift) {
            values.push_back(43 + int(shift - shifts));
        } else if (!dropped.contains(c)) {
            dropped += c;
        }
    }
    if (!dropped.isEmpty())
        notes->append(QStringLiteral("%1 cannot encode \"%2\"; skipped")
                          .arg(QLatin1String(symbology), QString::fromLatin1(dropped)));
    return values;
}

void AddCode39(int pattern, int narrow, int wide, BarBuilder *bars)
{
    for (int element = 0; element < 9; ++element)
        bars->add(element % 2 == 0, (pattern >> (8 - element)) & 1 ? wide : narrow);
    bars->add(false, narrow); // the gap between characters
}

// What a Code 93 shift character (43-46) and the letter after it (A = 0) stand for.
char FullAscii(int shift, int letter)
{
    static const char percent[] = "\x1b\x1c\x1d\x1e\x1f;<=>?[\\]^_{|}~\x7f" "\0@`\x7f\x7f\x7f";
    switch (shift) {
    case 43: return char(0x01 + letter);    // ($)A-Z: the control characters SOH-SUB
    case 44: return percent[letter];
    case 45: return char('!' + letter);     // (/)A-Z: ! to :
    default: return char('a' + letter);     // (+)A-Z: lower case
    }
}

// The interpretation line of Code 93 values: shift pairs shown as what they
// stand for, where that is printable.
QString Code93Text(const std::vector<int> &values)
{
    QString text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] < 43) {
            text += QLatin1Char(kCharacters[values[i]]);
        } else if (i + 1 < values.size() && values[i + 1] >= 10 && values[i + 1] <= 35) {
            const char c = FullAscii(values[i], values[i + 1] - 10);
            if (c >= 0x20 && c < 0x7f)
                text += QLatin1Char(c);
            ++i;
        }
    }
    return text;
}

// Code 93's weighted check: weights 1..`cycle` from the right, mod 47.
int Code93Check(const std::vector<int> &values, int cycle)
{
    int sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        sum += values[values.size() - 1 - i] * int(i % std::size_t(cycle) + 1);
    return sum % 47;
}

} // namespace

BarcodeResult EncodeCode39Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const bool check = params.flag(0, "Code 39 check character", false);
    params.readHeightAndLine(1, "Code 39", request.by.height, &result);
    QString text;
    std::vector<int> values = Values(request.data, "Code 39", &text, &result.notes);
    if (values.empty()) {
        result.notes << QStringLiteral("Code 39 field has no data to encode");
        return result;
    }
    if (check) {
        int sum = 0;
        for (int value : values)
            sum += value;
        values.push_back(sum % 43);
        text += QLatin1Char(kCharacters[sum % 43]);
    }
    const int narrow = request.by.moduleWidth;
    const int wide = qMax(narrow + 1, qRound(request.by.ratio * narrow));
    BarBuilder bars;
    AddCode39(kCode39[43], narrow, wide, &bars);
    for (int value : values)
        AddCode39(kCode39[value], narrow, wide, &bars);
    AddCode39(kCode39[43], narrow, wide, &bars);
    result.symbol = bars.take();
    std::get<LinearSymbol>(result.symbol).width -= narrow; // no gap after the stop character
    result.text = QLatin1Char('*') + text + QLatin1Char('*');
    result.ok = true;
    return result;
}

BarcodeResult EncodeCode93Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "Code 93", request.by.height, &result);
    const bool printCheck = params.flag(3, "Code 93 check characters", false);
    QString text;
    std::vector<int> values = Values(request.data, "Code 93", &text, &result.notes, kCode93Shifts);
    if (values.empty()) {
        result.notes << QStringLiteral("Code 93 field has no data to encode");
        return result;
    }
    text = Code93Text(values);
    values.push_back(Code93Check(values, 20));
    values.push_back(Code93Check(values, 15));
    if (printCheck) {
        for (std::size_t i = values.size() - 2; i < values.size(); ++i)
            if (values[i] < 43) // a shift character has no printed form
                text += QLatin1Char(kCharacters[values[i]]);
    }
    BarBuilder bars;
    bars.addWidths(kCode93[47], request.by.moduleWidth);
    for (int value : values)
        bars.addWidths(kCode93[value], request.by.moduleWidth);
    bars.addWidths(kCode93[47], request.by.moduleWidth);
    bars.add(true, request.by.moduleWidth); // termination bar
    result.symbol = bars.take();
    result.text = text;
    result.ok = true;
    return result;
}

} // namespace zpl
