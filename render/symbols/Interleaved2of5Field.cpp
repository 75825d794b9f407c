#include "Interleaved2of5Field.h"

#include "BarBuilder.h"
#include "Code128Field.h"
#include "FieldParams.h"

namespace zpl {

namespace {

// Wide elements of each digit, first element first.
constexpr const char *kDigits[10] = {
    "nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw", "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn",
};

} // namespace

BarcodeResult EncodeInterleaved2of5Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    params.readHeightAndLine(0, "Interleaved 2 of 5", request.by.height, &result);
    const bool check = params.flag(3, "Interleaved 2 of 5 check digit", false);
    QByteArray digits = DigitsOnly(request.data, "Interleaved 2 of 5", &result.notes);
    if (digits.isEmpty()) {
        result.notes << QStringLiteral("Interleaved 2 of 5 field has no data to encode");
        return result;
    }
    if (check)
        digits += Mod10CheckDigit(digits);
    if (digits.size() % 2) {
        digits.prepend('0');
        result.notes << QStringLiteral("Interleaved 2 of 5 needs an even number of digits; a leading 0 was added");
    }
    const int narrow = request.by.moduleWidth;
    const int wide = qMax(narrow + 1, qRound(request.by.ratio * narrow));
    BarBuilder bars;
    for (int i = 0; i < 4; ++i) // start: narrow bar, space, bar, space
        bars.add(i % 2 == 0, narrow);
    for (int i = 0; i < digits.size(); i += 2) {
        const char *barDigit = kDigits[digits.at(i) - '0'];
        const char *spaceDigit = kDigits[digits.at(i + 1) - '0'];
        for (int k = 0; k < 5; ++k) {
            bars.add(true, barDigit[k] == 'w' ? wide : narrow);
            bars.add(false, spaceDigit[k] == 'w' ? wide : narrow);
        }
    }
    bars.add(true, wide); // stop: wide bar, narrow space, narrow bar
    bars.add(false, narrow);
    bars.add(true, narrow);
    result.symbol = bars.take();
    result.text = QString::fromLatin1(digits);
    result.ok = true;
    return result;
}

} // namespace zpl
