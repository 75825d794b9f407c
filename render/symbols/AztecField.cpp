#include "AztecField.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <zint.h>

namespace zpl {

namespace {

int DefaultMagnification(int dpmm)
{
    return dpmm <= 6 ? 1 : dpmm <= 8 ? 2 : dpmm <= 12 ? 3 : 6;
}

// zint's error correction level for at least `percent` %.
int EccLevel(int percent, QStringList *notes)
{
    if (percent > 50)
        notes->append(QStringLiteral("Aztec error correction %1% is above the 50% encoded; 50% used").arg(percent));
    return percent <= 10 ? 1 : percent <= 23 ? 2 : percent <= 36 ? 3 : 4;
}

} // namespace

BarcodeResult EncodeAztecField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const int magnification = params.number(0, "Aztec magnification", DefaultMagnification(request.dpmm), 1, 10);
    const bool eci = params.flag(1, "Aztec extended channel", false);
    const int control = params.number(2, "Aztec error control and size", 0, 0, 300);
    const bool menu = params.flag(3, "Aztec menu symbol", false);
    const int count = params.number(4, "Aztec structured append count", 1, 1, 26);
    if (eci || menu || count > 1)
        result.notes << QStringLiteral("Aztec extended channels, menu symbols and structured append are not "
                                       "encoded; drawn as a plain symbol");

    const bool rune = control == 300;
    ZintSymbol symbol(rune ? BARCODE_AZRUNE : BARCODE_AZTEC);
    if (control >= 1 && control <= 99)
        symbol.get()->option_1 = EccLevel(control, &result.notes);
    else if (control >= 101 && control <= 104)
        symbol.get()->option_2 = control - 100;      // compact, 1-4 layers
    else if (control >= 201 && control <= 232)
        symbol.get()->option_2 = control - 200 + 4;  // full range, 1-32 layers
    else if (control != 0 && !rune)
        result.notes << QStringLiteral("Aztec error control and size %1 is not valid; 0 used").arg(control);
    QString error;
    if (!symbol.encode(request.data, &error)) {
        result.notes << QStringLiteral("Aztec cannot encode the field: %1").arg(error);
        return result;
    }
    result.symbol = symbol.matrix();
    result.moduleWidth = result.moduleHeight = magnification;
    result.ok = true;
    return result;
}

} // namespace zpl
