#pragma once

// ^B3: Code 39. Parameters after the orientation: e mod-43 check character
// (N), h bar height (^BY height), f interpretation line (Y), g above (N).
// Narrow elements are the ^BY module width, wide ones round(ratio x width)
// dots; the gap between characters is narrow. The 43 characters 0-9 A-Z
// - . space $ / + % are encoded; others are skipped with a note. The line
// shows the data between the start and stop asterisks, check included.
//
// ^BA: Code 93. Parameters: h, f, g as above, e print the two check
// characters in the line (N). The same 43 characters, and full ASCII: & ' ( )
// in the data are the shift characters ($) (%) (/) (+), so that ")A" is "a";
// the line shows what a pair stands for. Modules are the ^BY width.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeCode39Field(const BarcodeRequest &request);
BarcodeResult EncodeCode93Field(const BarcodeRequest &request);

} // namespace zpl
