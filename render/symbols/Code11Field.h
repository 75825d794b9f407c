#pragma once

// ^B1: Code 11. Parameters after the orientation: e check digits, Y one (C),
// N two (C and K, the default); h bar height (^BY height), f interpretation
// line (Y), g above (N). Digits and '-' are encoded, others skipped with a
// note. Narrow elements are the ^BY module width, wide ones round(ratio x
// width); a narrow space parts the characters. C weighs the values 1-10 from
// the right, K the values with C 1-9, both mod 11 ('-' is 10). The line shows
// the data and the check digits.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeCode11Field(const BarcodeRequest &request);

} // namespace zpl
