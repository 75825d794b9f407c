#include "PostnetField.h"

#include "FieldParams.h"

#include <QtMath>

namespace zpl {

namespace {

// '1' a tall bar, per digit.
constexpr const char *kDigits[10] = {"11000", "00011", "00101", "00110", "01001",
                                     "01010", "01100", "10001", "10010", "10100"};

} // namespace

BarcodeResult EncodePostnetField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "POSTNET", request.by.height, &result, false);
    QByteArray digits = DigitsOnly(request.data, "POSTNET", &result.notes);
    if (digits.isEmpty()) {
        result.notes << QStringLiteral("POSTNET field has no data to encode");
        return result;
    }
    int sum = 0;
    for (const char c : digits)
        sum += c - '0';
    digits += char('0' + (10 - sum % 10) % 10);
    QByteArray tall = "1";
    for (const char c : digits)
        tall += kDigits[c - '0'];
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
