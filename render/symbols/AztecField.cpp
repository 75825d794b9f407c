#include "AztecField.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <zint.h>

#include <array>

namespace zpl {

namespace {

int DefaultMagnification(int dpmm)
{
    return dpmm <= 6 ? 1 : dpmm <= 8 ? 2 : dpmm <= 12 ? 3 : 6;
}

struct AztecSize { bool compact; int layers; };

// ISO/IEC 24778, table 1: a symbol's codewords are all of one size, 6 bits
// up to 2 layers, 8 up to 8, 10 up to 22 and 12 beyond, and fill the bits of
// its layers, (88 + 16 L) L in a compact symbol and (112 + 16 L) L in a
// full-range one (compact 1 layer: 17 codewords; full range 32: 1664).
int WordBits(int layers)
{
    return layers <= 2 ? 6 : layers <= 8 ? 8 : layers <= 22 ? 10 : 12;
}

int Codewords(AztecSize size)
{
    return ((size.compact ? 88 : 112) + 16 * size.layers) * size.layers / WordBits(size.layers);
}

int ZintSize(AztecSize size)
{
    return size.compact ? size.layers : size.layers + 4;
}

// The data codewords a symbol's mode message declares. The message rings the
// bullseye, read clockwise from the top left (ISO/IEC 24778, 7.2); it starts
// with the layers less one in 2 bits (compact) or 5, then the data codewords
// less one in 6 or 11. A full-range ring skips each side's middle, where the
// reference grid runs.
int DataCodewords(const MatrixSymbol &matrix, bool compact)
{
    const int c = matrix.columns / 2, d = compact ? 5 : 7;
    const int skip = compact ? 2 : 5, bits = compact ? 6 : 11;
    int value = 0, read = 0;
    for (int side = 0; side < 2; ++side) {
        for (int i = 2 - d; i <= d - 2 && read < skip + bits; ++i) {
            if (!compact && i == 0)
                continue;
            const bool dark = side == 0 ? matrix.at(c + i, c - d) : matrix.at(c + d, c + i);
            if (read++ >= skip)
                value = value * 2 + (dark ? 1 : 0);
        }
    }
    return value + 1;
}

// The smallest symbol whose check codewords are at least `percent` % of its
// codewords, the guide's "01 to 99 = error correction percentage (minimum)".
// The data's codewords are the same in every symbol of one codeword size, so
// one encoding a size tells whether the larger symbols of that size would do.
// When none would, the largest symbol, with a note.
bool EncodeWithCorrection(const QByteArray &data, int percent, MatrixSymbol *out, QStringList *notes, QString *error)
{
    std::array<AztecSize, 36> sizes{{{true, 1}, {true, 2}, {false, 1}, {true, 3}, {false, 2}, {true, 4}}};
    for (int layers = 3; layers <= 32; ++layers)
        sizes[std::size_t(layers + 3)] = {false, layers};
    std::array<int, 13> dataWords{};   // by codeword size; 0 until known
    for (const AztecSize &size : sizes) {
        const int total = Codewords(size);
        int &known = dataWords[std::size_t(WordBits(size.layers))];
        if (known > 0 && (total - known) * 100 < percent * total)
            continue;
        ZintSymbol symbol(BARCODE_AZTEC);
        symbol.get()->option_2 = ZintSize(size);
        if (!symbol.encode(data, error))
            continue;   // too long for this size
        *out = symbol.matrix();
        known = DataCodewords(*out, size.compact);
        if ((total - known) * 100 >= percent * total)
            return true;
    }
    const AztecSize largest{false, 32};
    ZintSymbol symbol(BARCODE_AZTEC);
    symbol.get()->option_2 = ZintSize(largest);
    if (!symbol.encode(data, error))
        return false;
    *out = symbol.matrix();
    const int total = Codewords(largest);
    notes->append(QStringLiteral("Aztec error correction %1% does not fit the data; the largest symbol gives %2%")
                      .arg(percent).arg((total - DataCodewords(*out, false)) * 100 / total));
    return true;
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

    QString error;
    bool encoded = false;
    MatrixSymbol matrix;
    if (control >= 1 && control <= 99) {
        encoded = EncodeWithCorrection(request.data, control, &matrix, &result.notes, &error);
    } else {
        const bool rune = control == 300;
        ZintSymbol symbol(rune ? BARCODE_AZRUNE : BARCODE_AZTEC);
        if (control >= 101 && control <= 104)
            symbol.get()->option_2 = ZintSize({true, control - 100});
        else if (control >= 201 && control <= 232)
            symbol.get()->option_2 = ZintSize({false, control - 200});
        else if (control != 0 && !rune)
            result.notes << QStringLiteral("Aztec error control and size %1 is not valid; 0 used").arg(control);
        encoded = symbol.encode(request.data, &error);
        if (encoded)
            matrix = symbol.matrix();
    }
    if (!encoded) {
        result.notes << QStringLiteral("Aztec cannot encode the field: %1").arg(error);
        return result;
    }
    result.symbol = std::move(matrix);
    result.moduleWidth = result.moduleHeight = magnification;
    result.ok = true;
    return result;
}

} // namespace zpl
