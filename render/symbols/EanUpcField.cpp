#include "EanUpcField.h"

#include "BarBuilder.h"
#include "Code128Field.h"
#include "FieldParams.h"

#include <algorithm>

namespace zpl {

namespace {

// Left-hand odd parity (L) codes; R codes are their complement, G codes R reversed.
constexpr const char *kLeftOdd[10] = {
    "0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111", "0001011",
};
// EAN-13: which of the six left digits use G codes, by the first digit.
constexpr const char *kParity[10] = {
    "LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG", "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL",
};

// UPC-E: which of the six digits use G codes, by the check digit (number system 0).
constexpr const char *kUpcEParity[10] = {
    "GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL", "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG",
};

QByteArray Code(char digit, char set)
{
    QByteArray code(kLeftOdd[digit - '0']);
    if (set == 'L')
        return code;
    for (char &c : code)
        c = c == '1' ? '0' : '1';
    if (set == 'G')
        std::reverse(code.begin(), code.end());
    return code;
}

// `count` data digits from the field, then the computed check digit.
QByteArray Digits(const QByteArray &data, int count, const char *symbology, QStringList *notes)
{
    const QString name = QLatin1String(symbology);
    QByteArray digits = DigitsOnly(data, symbology, notes);
    const QByteArray given = digits.mid(count, 1);
    if (digits.size() > count + 1)
        notes->append(QStringLiteral("%1 takes %2 digits; the rest were cut").arg(name).arg(count));
    if (!digits.isEmpty() && digits.size() < count)
        notes->append(QStringLiteral("%1 takes %2 digits; zeros were added on the left").arg(name).arg(count));
    digits = digits.left(count).rightJustified(count, '0');
    digits += Mod10CheckDigit(digits);
    if (!given.isEmpty() && given.at(0) != digits.back())
        notes->append(QStringLiteral("%1 check digit %2 replaced by %3")
                          .arg(name, QString::fromLatin1(given), QString(QLatin1Char(digits.back()))));
    return digits;
}

// The symbol: left digits in `sets` (L or G each), right digits in R.
LinearSymbol Build(const QByteArray &left, const QByteArray &sets, const QByteArray &right, int module,
                   bool longOuterDigits)
{
    BarBuilder bars;
    bars.addModules("101", module, true);
    for (int i = 0; i < left.size(); ++i)
        bars.addModules(Code(left.at(i), sets.at(i)).constData(), module, longOuterDigits && i == 0);
    bars.addModules("01010", module, true);
    for (int i = 0; i < right.size(); ++i)
        bars.addModules(Code(right.at(i), 'R').constData(), module, longOuterDigits && i == right.size() - 1);
    bars.addModules("101", module, true);
    return bars.take();
}

// The line's digits as retail symbols print them, each under the seven
// modules of the symbol character it stands for, so that none meets its
// neighbour or a guard bar: `outside` digits before the left guard (EAN-13's
// and UPC's number system), `left` digits from the left guard, `right` digits
// from the centre guard (`skipped` long-barred characters left bare), then
// `after` digits beyond the right guard (UPC's check digit).
std::vector<TextPlace> Places(int module, int width, int outside, int left, int skipped, int right, int after)
{
    std::vector<TextPlace> places;
    const int character = 7 * module;
    for (int i = 0; i < outside; ++i)
        places.push_back({-character, character});
    for (int i = 0; i < left; ++i)
        places.push_back({3 * module + (skipped + i) * character, character});
    for (int i = 0; i < right; ++i)
        places.push_back({3 * module + (skipped + left) * character + 5 * module + i * character, character});
    for (int i = 0; i < after; ++i)
        places.push_back({width, character});
    return places;
}

BarcodeResult Encode(const BarcodeRequest &request, int count, const char *symbology)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, symbology, request.by.height, &result);
    const bool upc = count == 11;
    const bool printCheck = !upc || params.flag(3, "UPC-A check digit", true);
    if (request.data.isEmpty()) {
        result.notes << QStringLiteral("%1 field has no data to encode").arg(QLatin1String(symbology));
        return result;
    }
    const QByteArray digits = Digits(request.data, count, symbology, &result.notes);
    const int module = request.by.moduleWidth;
    LinearSymbol symbol;
    if (count == 12) {
        symbol = Build(digits.mid(1, 6), kParity[digits.at(0) - '0'], digits.mid(7), module, false);
        symbol.places = Places(module, symbol.width, 1, 6, 0, 6, 0);
    } else if (count == 7) {
        symbol = Build(digits.left(4), "LLLL", digits.mid(4), module, false);
        symbol.places = Places(module, symbol.width, 0, 4, 0, 4, 0);
    } else {    // UPC-A: the number system and the check digit beside the guards, under long bars nothing
        symbol = Build(digits.left(6), "LLLLLL", digits.mid(6), module, true);
        symbol.places = Places(module, symbol.width, 1, 5, 1, 5, printCheck ? 1 : 0);
    }
    result.symbol = std::move(symbol);
    result.text = QString::fromLatin1(printCheck ? digits : digits.chopped(1));
    result.ok = true;
    return result;
}

// The six UPC-E digits for manufacturer `m` and product `p` (five digits
// each), or empty when their zeros do not fit one of the four patterns.
QByteArray ZeroSuppressed(const QByteArray &m, const QByteArray &p)
{
    if (m.endsWith("00") && m.at(2) <= '2' && p.startsWith("00"))
        return m.left(2) + p.mid(2) + m.at(2);
    if (m.endsWith("00") && p.startsWith("000"))
        return m.left(3) + p.mid(3) + '3';
    if (m.endsWith('0') && p.startsWith("0000"))
        return m.left(4) + p.at(4) + '4';
    if (p.startsWith("0000") && p.at(4) >= '5')
        return m + p.at(4);
    return {};
}

} // namespace

BarcodeResult EncodeUpcEField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "UPC-E", request.by.height, &result);
    const bool printCheck = params.flag(3, "UPC-E check digit", true);
    if (request.data.isEmpty()) {
        result.notes << QStringLiteral("UPC-E field has no data to encode");
        return result;
    }
    // Leading zero of number system 0 changes no weighted sum: the check is UPC-A's.
    const QByteArray digits = Digits(request.data, 10, "UPC-E", &result.notes);
    const QByteArray six = ZeroSuppressed(digits.left(5), digits.mid(5, 5));
    if (six.isEmpty()) {
        result.notes << QStringLiteral("UPC-E cannot shorten %1: too few zeros").arg(QString::fromLatin1(digits.left(10)));
        return result;
    }
    const char check = digits.back();
    BarBuilder bars;
    bars.addModules("101", request.by.moduleWidth, true);
    for (int i = 0; i < 6; ++i)
        bars.addModules(Code(six.at(i), kUpcEParity[check - '0'][i]).constData(), request.by.moduleWidth);
    bars.addModules("010101", request.by.moduleWidth, true);
    LinearSymbol symbol = bars.take();
    symbol.places = Places(request.by.moduleWidth, symbol.width, 1, 6, 0, 0, printCheck ? 1 : 0);
    result.symbol = std::move(symbol);
    result.text = QLatin1Char('0') + QString::fromLatin1(six) + (printCheck ? QString(QLatin1Char(check)) : QString());
    result.ok = true;
    return result;
}

BarcodeResult EncodeEan13Field(const BarcodeRequest &request)
{
    return Encode(request, 12, "EAN-13");
}

BarcodeResult EncodeEan8Field(const BarcodeRequest &request)
{
    return Encode(request, 7, "EAN-8");
}

BarcodeResult EncodeUpcAField(const BarcodeRequest &request)
{
    return Encode(request, 11, "UPC-A");
}

BarcodeResult EncodeUpcEanExtensionField(const BarcodeRequest &request)
{
    // Parity of the two digits by their value mod 4; of the five by their check (weights 3 and 9).
    static constexpr const char *kTwo[4] = {"LL", "LG", "GL", "GG"};
    static constexpr const char *kFive[10] = {"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL",
                                              "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "UPC/EAN extension", request.by.height, &result, true, true);
    QByteArray digits = DigitsOnly(request.data, "UPC/EAN extension", &result.notes);
    const int count = digits.size() <= 2 ? 2 : 5;
    if (digits.size() != 2 && digits.size() != 5)
        result.notes << QStringLiteral("UPC/EAN extension takes 2 or 5 digits; padded or cut to %1").arg(count);
    digits = digits.left(count).rightJustified(count, '0');
    const char *sets = nullptr;
    if (count == 2) {
        sets = kTwo[digits.toInt() % 4];
    } else {
        int sum = 0;
        for (int i = 0; i < 5; ++i)
            sum += (digits.at(i) - '0') * (i % 2 == 0 ? 3 : 9);
        sets = kFive[sum % 10];
    }
    BarBuilder bars;
    bars.addModules("1011", request.by.moduleWidth);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            bars.addModules("01", request.by.moduleWidth);
        bars.addModules(Code(digits.at(i), sets[i]).constData(), request.by.moduleWidth);
    }
    result.symbol = bars.take();
    result.text = QString::fromLatin1(digits);
    result.ok = true;
    return result;
}

} // namespace zpl
