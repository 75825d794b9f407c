#include "PostnetField.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <QtMath>

#include <zint.h>

namespace zpl {

namespace {

// '1' a tall bar, per digit.
constexpr const char *kDigits[10] = {"11000", "00011", "00101", "00110", "01001",
                                     "01010", "01100", "10001", "10010", "10100"};

// USPS Intelligent Mail: a 20-digit tracking code and a routing code of 0, 5,
// 9 or 11 digits, as 65 bars of four states (zint encodes them). Each bar has
// the tracker, a third of the height in its middle, and reaches up, down or
// both; bars ^BY wide at POSTNET's pitch.
void EncodeIntelligentMail(const QByteArray &data, const BarcodeRequest &request, BarcodeResult *result)
{
    const QByteArray digits = DigitsOnly(data, "Intelligent Mail", &result->notes);
    ZintSymbol symbol(BARCODE_USPS_IMAIL);
    QString error;
    if (!symbol.encode(digits.left(20) + (digits.size() > 20 ? "-" + digits.mid(20) : QByteArray()), &error)) {
        result->notes << QStringLiteral("Intelligent Mail needs a 20-digit tracking code and a routing code of "
                                        "0, 5, 9 or 11 digits: %1").arg(error);
        return;
    }
    const MatrixSymbol states = symbol.matrix();   // rows: ascender, tracker, descender
    const int bar = request.by.moduleWidth, pitch = bar + qMax(1, qRound(request.by.ratio * bar));
    const int height = qMax(3, result->barHeight), third = height / 3, tracker = height - 2 * third;
    DotSymbol dots;
    for (int column = 0, x = 0; column < states.columns; column += 2, x += pitch) {
        const bool up = states.at(column, 0), down = states.rows > 2 && states.at(column, 2);
        dots.runs.push_back({x, up ? 0 : third, bar, tracker + (up ? third : 0) + (down ? third : 0)});
        dots.width = x + bar;
    }
    dots.height = height;
    result->symbol = dots;
    result->textLine = TextLine::None;
    result->ok = true;
}

} // namespace

BarcodeResult EncodePostnetField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "POSTNET", request.by.height, &result, false);
    // The ZPL guide's t: "0 = Postnet bar code 1 = Plant Bar Code 2 = Reserved
    // 3 = USPS Intelligent Mail bar code".
    const char type = params.letter(3, "postal code type", '0', "013");
    if (type == '3') {
        EncodeIntelligentMail(request.data, request, &result);
        return result;
    }
    const char *name = type == '1' ? "PLANET" : "POSTNET";
    QByteArray digits = DigitsOnly(request.data, name, &result.notes);
    if (digits.isEmpty()) {
        result.notes << QStringLiteral("%1 field has no data to encode").arg(QLatin1String(name));
        return result;
    }
    int sum = 0;
    for (const char c : digits)
        sum += c - '0';
    digits += char('0' + (10 - sum % 10) % 10);
    QByteArray tall = "1";
    for (const char c : digits)    // PLANET: three tall bars a digit, where POSTNET has short ones
        for (const char *bit = kDigits[c - '0']; *bit; ++bit)
            tall += type == '1' ? char('0' + '1' - *bit) : *bit;
    tall += '1';
    const int bar = request.by.moduleWidth;
    const int pitch = bar + qMax(1, qRound(request.by.ratio * bar));
    LinearSymbol symbol;
    for (int i = 0; i < tall.size(); ++i)
        symbol.bars.push_back({i * pitch, bar, false, tall.at(i) == '1' ? 0 : qMax(1, qRound(result.barHeight * 0.4))});
    symbol.width = (int(tall.size()) - 1) * pitch + bar;
    result.symbol = symbol;
    result.text = QString::fromLatin1(digits);
    result.ok = true;
    return result;
}

} // namespace zpl
