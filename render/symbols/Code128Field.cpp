#include "Code128Field.h"

#include "Code128.h"
#include "FieldParams.h"

#include <algorithm>
#include <cctype>

namespace zpl {

using namespace code128;

namespace {

struct Encoded { std::vector<int> codewords; QString text; };

bool AllDigits(const QByteArray &data)
{
    return !data.isEmpty() && std::all_of(data.begin(), data.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The character a codeword stands for in `subset`; none for functions.
QString Printed(Subset subset, int value)
{
    if (subset == C)
        return value < 100 ? QString::number(value).rightJustified(2, u'0') : QString();
    if (value < 64)
        return QString(QLatin1Char(char(value + 32)));
    if (subset == B && value < 95)
        return QString(QLatin1Char(char(value + 32)));
    if (subset == A && value < 96)
        return QString(QLatin1Char(char(value - 64)));  // the controls NUL to US
    return QString();
}

// Mode N: subset B at the start unless >9 >: >; picks one; >x invocations
// stand for codewords and some change the subset.
Encoded EncodeNoMode(const QByteArray &data, QStringList *notes)
{
    Encoded out;
    int pos = 0;
    Subset subset = B;
    if (data.size() >= 2 && data.at(0) == '>' && (data.at(1) == '9' || data.at(1) == ':' || data.at(1) == ';')) {
        subset = data.at(1) == '9' ? A : data.at(1) == ':' ? B : C;
        pos = 2;
    }
    out.codewords.push_back(subset == A ? StartA : subset == B ? StartB : StartC);
    bool shifted = false; // the next character comes from the other subset of A and B
    int ignored = 0;
    auto put = [&](int value) {
        out.codewords.push_back(value);
        out.text += Printed(subset, value);
    };
    while (pos < data.size()) {
        const char c = data.at(pos);
        if (c == '>' && pos + 1 < data.size()) {
            const char code = data.at(pos + 1);
            pos += 2;
            switch (code) {
            case '<': put(62); break;   // ^ in subsets A and B
            case '0': put(30); break;   // >
            case '=': put(94); break;   // ~ in subset B
            case '1': put(95); break;
            case '2': out.codewords.push_back(Fnc3); break;
            case '3': out.codewords.push_back(Fnc2); break;
            case '4': out.codewords.push_back(Shift); shifted = subset != C; break;
            case '5': out.codewords.push_back(CodeC); subset = C; break;
            case '6': out.codewords.push_back(CodeB); subset = B; break; // FNC4 when in B already
            case '7': out.codewords.push_back(CodeA); subset = A; break; // FNC4 when in A already
            case '8': out.codewords.push_back(Fnc1); break;
            default:
                notes->append(QStringLiteral("Code 128 invocation \">%1\" is not known; skipped")
                                  .arg(QLatin1Char(code)));
            }
            continue;
        }
        // The ZPL guide: "Code 128, Subsets A and C are programmed in pairs of
        // digits, 00 to 99 ... In Subset A, each pair of digits results in a
        // single character being encoded in the bar code". "Nonintegers
        // programmed as the first character of a digit pair (D2) are ignored.
        // However, nonintegers programmed as the second character of a digit
        // pair (2D) invalidate the entire digit pair, and the pair is ignored.
        // An extra unpaired digit in the field data string just before a code
        // shift is also ignored." An odd digit at the very end is kept: in A
        // as itself, in C in subset B.
        const auto digit = [&](int at) { return std::isdigit(static_cast<unsigned char>(data.at(at))) != 0; };
        if ((subset == A && !shifted) || subset == C) {
            const bool last = pos + 1 == data.size();
            if (!last && (!digit(pos) || data.at(pos + 1) == '>' || !digit(pos + 1))) {
                const int skipped = digit(pos) && data.at(pos + 1) != '>' ? 2 : 1;
                ignored += skipped;
                pos += skipped;
                continue;
            }
            if (!last) {
                const int value = (c - '0') * 10 + data.at(pos + 1) - '0';
                pos += 2;
                if (subset == C || value < 96)
                    put(value);
                else    // FNC3, FNC2, SHIFT or CODE C as their code values
                    out.codewords.push_back(value), shifted = value == Shift, subset = value == CodeC ? C : A;
                continue;
            }
        }
        if (subset == C) {
            notes->append(QStringLiteral("Code 128 subset C takes digit pairs; \"%1\" encoded in subset B")
                              .arg(QString::fromLatin1(data.mid(pos, 10))));
            out.codewords.push_back(CodeB);
            subset = B;
        }
        const Subset now = shifted ? (subset == A ? B : A) : subset;
        bool placed = false;
        if (shifted) { // the SHIFT is written already: the character itself or nothing
            const int value = CharValue(now, static_cast<unsigned char>(c));
            placed = value >= 0;
            if (placed)
                out.codewords.push_back(value);
        } else {
            placed = AppendChar(now, static_cast<unsigned char>(c), &out.codewords);
        }
        shifted = false;
        if (placed)
            out.text += QString(QLatin1Char(c));
        else
            notes->append(QStringLiteral("Code 128 cannot encode byte 0x%1 in subset %2; skipped")
                              .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'))
                              .arg(QLatin1Char(now == A ? 'A' : 'B')));
        ++pos;
    }
    if (ignored > 0)
        notes->append(QStringLiteral("Code 128 subsets A and C take digit pairs; characters ignored: %1").arg(ignored));
    return out;
}

std::vector<int> Items(const QByteArray &data)
{
    std::vector<int> items;
    for (char c : data)
        items.push_back(static_cast<unsigned char>(c));
    return items;
}

// Mode U: 19 digits, then their check digit, all in subset C after FNC1.
Encoded EncodeUccCase(const QByteArray &data, QStringList *notes)
{
    QByteArray digits;
    for (char c : data)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits.size() != data.size())
        notes->append(QStringLiteral("Code 128 UCC case mode takes digits only; the others were dropped"));
    if (digits.size() != 19)
        notes->append(QStringLiteral("Code 128 UCC case mode takes 19 digits, not %1").arg(digits.size()));
    digits = digits.left(19).leftJustified(19, '0');
    digits += Mod10CheckDigit(digits);
    Encoded out;
    out.codewords = {StartC, Fnc1};
    for (int i = 0; i < digits.size(); i += 2)
        out.codewords.push_back((digits.at(i) - '0') * 10 + digits.at(i + 1) - '0');
    out.text = QStringLiteral("(%1) %2").arg(QString::fromLatin1(digits.left(2)), QString::fromLatin1(digits.mid(2)));
    return out;
}

// Application identifiers whose data has a fixed length, so that no FNC1 ends them.
bool FixedLengthAi(const QByteArray &ai)
{
    static const QByteArrayList fixed = {"00", "01", "02", "03", "04", "11", "12", "13", "14", "15", "16",
                                         "17", "18", "19", "20", "31", "32", "33", "34", "35", "36", "41"};
    return fixed.contains(ai.left(2));
}

// Mode D: FNC1, then the fields; (AI) in parentheses marks each field.
Encoded EncodeUccEan(const QByteArray &data, QStringList *notes)
{
    Encoded out;
    std::vector<int> items{kFnc1Item};
    QByteArray field, ai;
    auto closeField = [&](bool more) {
        if (ai.isEmpty() && !field.isEmpty() && items.size() == 1)
            ai = field.left(2);
        // The field holds its AI too: 2 + 18 digits for an SSCC, 2 + 14 for a GTIN.
        const int wanted = ai == "00" ? 20 : (ai == "01" || ai == "02") ? 16 : 0;
        if (wanted && field.size() == wanted - 1 && AllDigits(field)) {
            const char check = Mod10CheckDigit(field.mid(2));
            field += check;
            out.text += QLatin1Char(check);
        }
        for (char c : field)
            items.push_back(static_cast<unsigned char>(c));
        if (more && !field.isEmpty() && !FixedLengthAi(ai))
            items.push_back(kFnc1Item);
        field.clear();
        ai.clear();
    };
    for (int pos = 0; pos < data.size(); ++pos) {
        const char c = data.at(pos);
        if (c == '>' && pos + 1 < data.size() && data.at(pos + 1) == '8') {
            closeField(false);
            items.push_back(kFnc1Item);
            ++pos;
        } else if (c == '(') {
            closeField(true);
            const int close = data.indexOf(')', pos);
            ai = data.mid(pos + 1, close < 0 ? -1 : close - pos - 1);
            field = ai;
            out.text += QString::fromLatin1(data.mid(pos, close < 0 ? -1 : close - pos + 1));
            pos = close < 0 ? data.size() : close;
        } else if (c != ' ' && c != ')') {
            field += c;
            out.text += QLatin1Char(c);
        } else {
            out.text += QLatin1Char(c);
        }
    }
    closeField(false);
    if (items.size() == 1)
        notes->append(QStringLiteral("Code 128 UCC/EAN field has no data"));
    out.codewords = EncodeAutomatic(items);
    return out;
}

} // namespace

char Mod10CheckDigit(const QByteArray &digits)
{
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i)
        sum += (digits.at(digits.size() - 1 - i) - '0') * (i % 2 == 0 ? 3 : 1);
    return char('0' + (10 - sum % 10) % 10);
}

BarcodeResult EncodeCode128Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "Code 128", request.by.height, &result);
    const bool check = params.flag(3, "Code 128 UCC check digit", false);
    const char mode = params.letter(4, "Code 128 mode", 'N', "NUAD");

    QByteArray data = request.data;
    if (check && (mode == 'N' || mode == 'A')) {
        if (AllDigits(data))
            data += Mod10CheckDigit(data);
        else
            result.notes << QStringLiteral("Code 128 UCC check digit needs digits only; none added");
    }
    Encoded encoded;
    if (mode == 'U') {
        encoded = EncodeUccCase(data, &result.notes);
    } else if (mode == 'D') {
        encoded = EncodeUccEan(data, &result.notes);
    } else if (mode == 'A') {
        encoded.codewords = EncodeAutomatic(Items(data));
        encoded.text = QString::fromLatin1(data);
    } else {
        encoded = EncodeNoMode(data, &result.notes);
    }
    if (encoded.codewords.size() <= 1) {
        result.notes << QStringLiteral("Code 128 field has no data to encode");
        return result;
    }
    result.ok = true;
    result.symbol = Bars(encoded.codewords, request.by.moduleWidth);
    result.text = encoded.text;
    return result;
}

} // namespace zpl
