#pragma once

// ^BZ: POSTNET and PLANET. Parameters after the orientation: h height of the
// tall bars (^BY height), f interpretation line (N), g above (N), t type (0
// POSTNET, 1 PLANET; 3, Intelligent Mail, is skipped with a note). Each digit
// is five bars, two of them tall (PLANET: three), between a tall frame bar at
// each end; the check digit brings the digits' sum to a multiple of ten.
// Short bars are 2/5 of the tall ones, standing on the same base line. Bars
// are the ^BY module width, the spaces between them round(ratio x width)
// dots. Digits only; others are skipped with a note.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodePostnetField(const BarcodeRequest &request);

} // namespace zpl
