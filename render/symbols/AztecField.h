#pragma once

// ^BO (and its twin ^B0): Aztec through zint. Parameters after the
// orientation: b magnification (1-10 dots per module; default 1/2/3/6 at
// 6/8/12/24 dots per mm), c extended channel interpretation (N), d error
// control and size: 0 default, 1-99 the least error correction in percent
// (the smallest symbol that gives it), 101-104 compact with 1-4 layers, 201-232 full
// range with 1-32 layers, 300 a rune (data 0-255); e menu symbol (N),
// f structured append count (1), g its ID. ECI, menu symbols and structured
// append are not encoded: a note says so.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeAztecField(const BarcodeRequest &request);

} // namespace zpl
