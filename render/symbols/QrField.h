#pragma once

// ^BQ: a QR Code (model 2) from the field data's switches (see QrSwitches.h).
// Parameters after the orientation: model (1 or 2; 1 is drawn as 2 with a
// note), magnification (1-100 dots per module; default 1/2/3/6 at 6/8/12/24
// dots per mm), error correction (used only when the data has no switches)
// and mask (always chosen automatically). The error correction level is kept
// as asked, never raised to fill the version. A segment whose characters its
// manual mode cannot hold is encoded automatically, with a note. The symbol
// sits the ^BY height below the ^FO point (topOffset).

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeQrField(const BarcodeRequest &request);

} // namespace zpl
