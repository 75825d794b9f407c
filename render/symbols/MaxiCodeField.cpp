#include "MaxiCodeField.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <zint.h>

#include <cmath>
#include <cstring>

namespace zpl {

namespace {

constexpr char GS = '\x1d';
const QByteArray CarrierHeader = QByteArrayLiteral("[)>\x1e" "01\x1d");

// Splits modes 2 and 3's data into zint's primary message (postal code,
// country, class) and the secondary message that follows it.
bool SplitPrimary(const QByteArray &data, int mode, QByteArray *primary, QByteArray *secondary)
{
    if (data.startsWith(CarrierHeader) && data.size() >= 9) {
        const QList<QByteArray> fields = data.mid(9).split(GS);
        if (fields.size() < 4)
            return false;
        *primary = fields[0] + fields[1] + fields[2];
        *secondary = data.left(9) + fields.mid(3).join(GS);
        return true;
    }
    const int postal = mode == 2 ? 9 : 6;
    if (data.size() < 6 + postal)
        return false;
    *primary = data.mid(6, postal) + data.mid(3, 3) + data.left(3);
    *secondary = data.mid(6 + postal);
    return true;
}

// One hexagon, flat sides left and right, points up and down, as runs of dots.
void AddHexagon(DotSymbol *symbol, int left, int top, int width, int height)
{
    const double half = height / 2.0;
    for (int y = 0; y < height; ++y) {
        const double off = std::fabs(y + 0.5 - half);
        int w = off <= half / 2 ? width : int(std::lround(width * (half - off) / (half / 2)));
        w -= (width - w) % 2;   // stay centred on whole dots
        if (w > 0)
            symbol->runs.push_back({left + (width - w) / 2, top + y, w, 1});
    }
}

// Dark rings between the radii (in dots) about (cx, cy), as runs of dots.
void AddRing(DotSymbol *symbol, double cx, double cy, double inner, double outer)
{
    for (int y = int(cy - outer); y <= int(cy + outer) + 1; ++y) {
        const double dy = y + 0.5 - cy;
        if (std::fabs(dy) > outer)
            continue;
        const double xo = std::sqrt(outer * outer - dy * dy);
        const double xi = std::fabs(dy) < inner ? std::sqrt(inner * inner - dy * dy) : 0;
        const int l0 = int(std::lround(cx - xo)), r0 = int(std::lround(cx + xo));
        const int l1 = int(std::lround(cx - xi)), r1 = int(std::lround(cx + xi));
        if (xi <= 0) {
            symbol->runs.push_back({l0, y, r0 - l0, 1});
        } else {
            symbol->runs.push_back({l0, y, l1 - l0, 1});
            symbol->runs.push_back({r1, y, r0 - r1, 1});
        }
    }
}

} // namespace

DotSymbol MaxiCodeDots(const MatrixSymbol &matrix, int dpmm)
{
    // Hexagon centres as printers put them, measured on printed symbols:
    // (column + half a column on odd rows) x 6.70 dots across and row x 5.80
    // dots down at 8 dots per mm, each rounded on its own, the pitches scaled
    // with the density; the symbol about 200 x 193 dots.
    const double pitch = 6.70 * dpmm / 8, rowPitch = 5.80 * dpmm / 8;
    const int hexWidth = qMax(2, int(std::lround(pitch)) - 1), hexHeight = int(std::lround(rowPitch)) + 1;
    DotSymbol symbol;
    for (int row = 0; row < matrix.rows; ++row)
        for (int column = 0; column < matrix.columns; ++column)
            if (matrix.at(column, row))
                AddHexagon(&symbol, int(std::lround((column + (row & 1) / 2.0) * pitch)),
                           int(std::lround(row * rowPitch)), hexWidth, hexHeight);
    symbol.width = int(std::lround((matrix.columns - 0.5) * pitch)) + hexWidth;
    symbol.height = int(std::lround((matrix.rows - 1) * rowPitch)) + hexHeight;
    // The bullseye: three dark rings about the centre, diameters in module pitches.
    const double cx = 14.5 * pitch + hexWidth / 2.0, cy = 16 * rowPitch + hexHeight / 2.0;
    const double d[6] = {1.35, 3.12, 4.92, 6.70, 8.47, 10.23};
    for (int i = 0; i < 6; i += 2)
        AddRing(&symbol, cx, cy, d[i] * pitch / 2, d[i + 1] * pitch / 2);
    return symbol;
}

BarcodeResult EncodeMaxiCodeField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const int mode = params.number(0, "MaxiCode mode", 2, 2, 6);
    const int index = params.number(1, "MaxiCode symbol number", 1, 1, 8);
    const int count = params.number(2, "MaxiCode symbol count", 1, 1, 8);
    ZintSymbol symbol(BARCODE_MAXICODE);
    symbol.get()->option_1 = mode;
    if (count > 1) {
        symbol.get()->structapp.index = qMin(index, count);
        symbol.get()->structapp.count = count;
    }
    QByteArray data = request.data;
    if (mode <= 3) {
        QByteArray primary, secondary;
        if (!SplitPrimary(data, mode, &primary, &secondary)) {
            result.notes << QStringLiteral("MaxiCode mode %1 needs class, country and postal code first").arg(mode);
            return result;
        }
        std::strncpy(symbol.get()->primary, primary.constData(), sizeof symbol.get()->primary - 1);
        data = secondary;
    }
    QString error;
    if (!symbol.encode(data, &error)) {
        result.notes << QStringLiteral("MaxiCode cannot encode the field: %1").arg(error);
        return result;
    }
    result.symbol = MaxiCodeDots(symbol.matrix(), request.dpmm);
    result.ok = true;
    return result;
}

} // namespace zpl
