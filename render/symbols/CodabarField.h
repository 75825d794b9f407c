#pragma once

// ^BK: Codabar. Parameters after the orientation: e check digit (N; the
// only value the printer takes), h bar height (^BY height), f interpretation
// line (Y), g above (N), k start and l stop character (A, B, C or D; A).
// Data: 0-9 - $ : / . +; others are skipped with a note. Narrow elements are
// the ^BY width, wide ones round(ratio x width) dots, a narrow gap between
// characters. The line shows the start character, the data and the stop character.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeCodabarField(const BarcodeRequest &request);

} // namespace zpl
