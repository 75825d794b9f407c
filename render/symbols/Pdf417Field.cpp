#include "Pdf417Field.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <zint.h>

namespace zpl {

BarcodeResult EncodePdf417Field(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const int rowHeight = params.number(0, "PDF417 row height", request.by.height, 1, 32000);
    const int security = params.number(1, "PDF417 security level", 0, 0, 8);
    const int columns = params.number(2, "PDF417 columns", 0, 1, 30);
    const int rows = params.number(3, "PDF417 rows", 0, 3, 90);
    const bool truncate = params.flag(4, "PDF417 truncation", false);

    ZintSymbol symbol(truncate ? BARCODE_PDF417COMP : BARCODE_PDF417);
    symbol.get()->option_1 = security;
    symbol.get()->option_2 = columns;
    symbol.get()->option_3 = rows;
    QString error;
    if (!symbol.encode(request.data, &error)) {
        result.notes << QStringLiteral("PDF417 cannot encode the field: %1").arg(error);
        return result;
    }
    if (rows && symbol.get()->rows != rows)
        result.notes << QStringLiteral("PDF417 data needs %1 rows, not %2").arg(symbol.get()->rows).arg(rows);
    result.symbol = symbol.matrix();
    result.moduleWidth = request.by.moduleWidth;
    result.moduleHeight = rowHeight;
    result.ok = true;
    return result;
}

} // namespace zpl
