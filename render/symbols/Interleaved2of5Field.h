#pragma once

// ^B2: Interleaved 2 of 5. Parameters after the orientation: h bar height
// (^BY height), f interpretation line (Y), g above (N), e mod-10 check digit
// (N). Digits only (others skipped with a note); an odd count gets a leading
// zero, with a note. Narrow elements are the ^BY width, wide ones
// round(ratio x width) dots. The line shows the digits encoded.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeInterleaved2of5Field(const BarcodeRequest &request);

} // namespace zpl
