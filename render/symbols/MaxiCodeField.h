#pragma once

// ^BDo,m,n,t: MaxiCode through zint. m mode 2-6 (default 2), n symbol number
// and t total for structured append (1-8, default 1). In modes 2 and 3 the
// data starts with the high priority message aaabbbcc..c: class of service
// (3 digits), country (3 digits), postal code (9 digits in mode 2, 6
// characters in mode 3); or, in the carrier form, [)>RS01GSyy, then postal
// code GS country GS class GS and the rest. The symbol is laid out as dots:
// 30 x 33 hexagons, odd rows shifted half a module right, and the bullseye,
// about 27 x 25 mm whatever the dots per mm.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeMaxiCodeField(const BarcodeRequest &request);
// The hexagons of `matrix` (30 x 33) and the bullseye, at `dpmm`.
DotSymbol MaxiCodeDots(const MatrixSymbol &matrix, int dpmm);

} // namespace zpl
