#pragma once

// ^B7: PDF417 through zint. Parameters after the orientation: h row height
// in dots (the ^BY height), s security level 0-8 (0), c data columns 1-30 and
// r rows 3-90 (zint's choice when absent), t truncate (N; Y drops the right
// row indicators and shortens the stop pattern). Modules are the ^BY width
// across and the row height down.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodePdf417Field(const BarcodeRequest &request);

} // namespace zpl
