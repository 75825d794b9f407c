#include "Code11Field.h"

#include "BarBuilder.h"
#include "FieldParams.h"

#include <QtMath>

#include <vector>

namespace zpl {

namespace {

// Five elements, bar first, '1' wide, for the values 0-9, '-' (10), then start/stop.
constexpr const char *kPatterns[12] = {"00001", "10001", "01001", "11000", "00101", "10100",
                                       "01100", "00011", "10010", "10000", "00100", "00110"};

int Check(const std::vector<int> &values, int cycle)
{
    int sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        sum += values[values.size() - 1 - i] * int(i % std::size_t(cycle) + 1);
    return sum % 11;
}

void Add(int value, int narrow, int wide, BarBuilder *bars)
{
    for (int element = 0; element < 5; ++element)
        bars->add(element % 2 == 0, kPatterns[value][element] == '1' ? wide : narrow);
    bars->add(false, narrow);
}

QChar Character(int value)
{
    return value == 10 ? QLatin1Char('-') : QChar(u'0' + value);
}

} // namespace

BarcodeResult EncodeCode11Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const bool oneCheck = params.flag(0, "Code 11 single check digit", false);
    params.readHeightAndLine(1, "Code 11", request.by.height, &result);
    std::vector<int> values;
    QString text;
    bool dropped = false;
    for (const char c : request.data) {
        if ((c >= '0' && c <= '9') || c == '-') {
            values.push_back(c == '-' ? 10 : c - '0');
            text += QLatin1Char(c);
        } else {
            dropped = true;
        }
    }
    if (dropped)
        result.notes << QStringLiteral("Code 11 encodes digits and '-' only; the rest skipped");
    if (values.empty()) {
        result.notes << QStringLiteral("Code 11 field has no data to encode");
        return result;
    }
    values.push_back(Check(values, 10));
    if (!oneCheck)
        values.push_back(Check(values, 9));
    for (std::size_t i = values.size() - (oneCheck ? 1 : 2); i < values.size(); ++i)
        text += Character(values[i]);
    const int narrow = request.by.moduleWidth;
    const int wide = qMax(narrow + 1, qRound(request.by.ratio * narrow));
    BarBuilder bars;
    Add(11, narrow, wide, &bars);
    for (int value : values)
        Add(value, narrow, wide, &bars);
    Add(11, narrow, wide, &bars);
    result.symbol = bars.take();
    std::get<LinearSymbol>(result.symbol).width -= narrow; // no gap after the stop character
    result.text = text;
    result.ok = true;
    return result;
}

} // namespace zpl
