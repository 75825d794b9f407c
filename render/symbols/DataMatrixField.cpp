#include "DataMatrixField.h"

#include "FieldParams.h"
#include "ZintSymbol.h"

#include <zint.h>

#include <memory>

namespace zpl {

namespace {

QByteArray Unescape(const QByteArray &data, char escape, QStringList *notes)
{
    QByteArray out;
    for (int i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        const char next = i + 1 < data.size() ? data.at(i + 1) : 0;
        bool ok = false;
        const int code = next == 'd' ? data.mid(i + 2, 3).toInt(&ok) : -1;
        if (c != escape || !next) {
            out += c;
        } else if (next == 'd' && ok && code < 256 && data.mid(i + 2, 3).size() == 3) {
            out += char(code);
            i += 4;
        } else if (next >= '@' && next <= '_') {
            out += char(next - '@');
            ++i;
        } else {
            notes->append(QStringLiteral("Data Matrix escape \"%1\" is not supported; kept as data")
                              .arg(QString::fromLatin1(data.mid(i, 2))));
            out += c;
        }
    }
    return out;
}

// The zint size (option_2) with exactly `columns` x `rows` modules, or 0.
int SizeFor(int columns, int rows)
{
    for (int size = 1; size <= 48; ++size) {
        ZintSymbol probe(BARCODE_DATAMATRIX);
        probe.get()->option_2 = size;
        QString error;
        if (probe.encode("0", &error) && probe.get()->width == columns && probe.get()->rows == rows)
            return size;
    }
    return 0;
}

} // namespace

BarcodeResult EncodeDataMatrixField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    const int moduleSize = params.number(0, "Data Matrix module size", 0, 0, 32000);
    const int quality = params.number(1, "Data Matrix quality", 0, 0, 200);
    const int columns = params.number(2, "Data Matrix columns", 0, 0, 144);
    const int rows = params.number(3, "Data Matrix rows", 0, 0, 144);
    const QByteArray escape = params.text(5);
    const int aspect = params.number(6, "Data Matrix aspect", 1, 1, 2);
    if (quality != 200)
        result.notes << QStringLiteral("Data Matrix quality %1 (ECC 000-140) is not supported; drawn as ECC 200")
                            .arg(quality);
    const QByteArray data = Unescape(request.data, escape.isEmpty() ? '~' : escape.at(0), &result.notes);

    int size = 0;
    if (columns && rows) {
        size = SizeFor(columns, rows);
        if (!size)
            result.notes << QStringLiteral("Data Matrix has no %1 x %2 size; the size is chosen automatically")
                                .arg(columns).arg(rows);
    }
    // The encodation as the standard's look-ahead picks it (zint's FAST_MODE),
    // as printers do, not zint's shortest: "LOTQTYX1/" takes 16 x 16, not 14 x 14.
    const auto make = [aspect](int size) {
        auto symbol = std::make_unique<ZintSymbol>(BARCODE_DATAMATRIX);
        symbol->get()->input_mode |= FAST_MODE;
        symbol->get()->option_2 = size;
        symbol->get()->option_3 = aspect == 1 ? DM_SQUARE : 0;
        return symbol;
    };
    auto symbol = make(size);
    QString error;
    bool encoded = symbol->encode(data, &error);
    if (!encoded && size) {
        result.notes << QStringLiteral("Data Matrix data does not fit %1 x %2; the size is chosen automatically")
                            .arg(columns).arg(rows);
        symbol = make(0);
        encoded = symbol->encode(data, &error);
    }
    if (!encoded) {
        result.notes << QStringLiteral("Data Matrix cannot encode the field: %1").arg(error);
        return result;
    }
    const MatrixSymbol matrix = symbol->matrix();
    const int module = moduleSize > 0 ? moduleSize : qMax(1, qRound(double(request.by.height) / matrix.rows));
    result.symbol = matrix;
    result.moduleWidth = result.moduleHeight = module;
    result.ok = true;
    return result;
}

} // namespace zpl
