#pragma once

// ^BX: Data Matrix, ECC 200 only, through zint. Parameters after the
// orientation: h module size in dots (empty or 0: the ^BY height shared out
// over the rows), s quality (200; 0-140 are drawn as ECC 200 with a note),
// c columns and r rows (both given: that size, when the data fits), f format
// (ignored for ECC 200), g escape character (~), a aspect (1 square,
// 2 rectangular). With the escape character: <g>dNNN is byte NNN and <g>@ to
// <g>_ the control characters 0-31; other sequences are kept as data, with a note.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeDataMatrixField(const BarcodeRequest &request);

} // namespace zpl
