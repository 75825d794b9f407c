#include "QrField.h"

#include "FieldParams.h"
#include "QrSwitches.h"
#include "ZintSymbol.h"

#include <qrencode.h>
#include <zint.h>

#include <cstdio>

#include <memory>

namespace zpl {

namespace {

struct InputDeleter { void operator()(QRinput *input) const { QRinput_free(input); } };
struct StructDeleter { void operator()(QRinput_Struct *s) const { QRinput_Struct_free(s); } };
struct CodeDeleter { void operator()(QRcode *code) const { QRcode_free(code); } };
struct ListDeleter { void operator()(QRcode_List *list) const { QRcode_List_free(list); } };
using InputPtr = std::unique_ptr<QRinput, InputDeleter>;

int DefaultMagnification(int dpmm)
{
    return dpmm <= 6 ? 1 : dpmm <= 8 ? 2 : dpmm <= 12 ? 3 : 6;
}

QRecLevel Level(char ec)
{
    switch (ec) {
    case 'H': return QR_ECLEVEL_H;
    case 'Q': return QR_ECLEVEL_Q;
    case 'L': return QR_ECLEVEL_L;
    default: return QR_ECLEVEL_M;
    }
}

bool Fits(QRencodeMode mode, const QByteArray &data)
{
    return QRinput_check(mode, int(data.size()), reinterpret_cast<const unsigned char *>(data.constData())) == 0;
}

// Automatic input: the narrowest single mode that holds every character.
QRencodeMode AutomaticMode(const QByteArray &data)
{
    return Fits(QR_MODE_NUM, data) ? QR_MODE_NUM : Fits(QR_MODE_AN, data) ? QR_MODE_AN : QR_MODE_8;
}

QRencodeMode ModeOf(const QrSegment &segment, QStringList *notes)
{
    static const char *const names[] = {"automatic", "numeric", "alphanumeric", "byte", "Kanji"};
    static const QRencodeMode modes[] = {QR_MODE_8, QR_MODE_NUM, QR_MODE_AN, QR_MODE_8, QR_MODE_KANJI};
    if (segment.mode == QrSegment::Automatic)
        return AutomaticMode(segment.data);
    if (Fits(modes[segment.mode], segment.data))
        return modes[segment.mode];
    // No printer behaviour is documented here; encoding the characters as
    // they are keeps the symbol readable.
    notes->append(QStringLiteral("QR data \"%1\" is invalid for %2 mode; encoded automatically")
                      .arg(QString::fromLatin1(segment.data.left(40)), QLatin1String(names[segment.mode])));
    return AutomaticMode(segment.data);
}

InputPtr BuildInput(const QrSwitches &switches, QStringList *notes)
{
    InputPtr input(QRinput_new2(0, Level(switches.ecLevel)));
    bool any = false;
    for (const QrSegment &segment : switches.segments) {
        if (segment.data.isEmpty())
            continue;
        const QRencodeMode mode = ModeOf(segment, notes);
        if (!input || QRinput_append(input.get(), mode, int(segment.data.size()),
                                     reinterpret_cast<const unsigned char *>(segment.data.constData())) != 0)
            return nullptr;
        any = true;
    }
    return any ? std::move(input) : nullptr;
}

// One symbol of a structured append sequence: the others are placeholders,
// encoded only so that libqrencode writes this symbol's header.
QRcode *EncodeInSequence(InputPtr input, const QrSwitches &switches)
{
    std::unique_ptr<QRinput_Struct, StructDeleter> sequence(QRinput_Struct_new());
    if (!sequence)
        return nullptr;
    for (int i = 1; i <= switches.sequenceCount; ++i) {
        InputPtr part;
        if (i == switches.sequence) {
            part = std::move(input);
        } else {
            part.reset(QRinput_new2(0, Level(switches.ecLevel)));
            if (!part || QRinput_append(part.get(), QR_MODE_NUM, 1, reinterpret_cast<const unsigned char *>("0")) != 0)
                return nullptr;
        }
        if (QRinput_Struct_appendInput(sequence.get(), part.get()) < 0)
            return nullptr;
        part.release(); // the sequence owns it now
    }
    QRinput_Struct_setParity(sequence.get(), static_cast<unsigned char>(switches.parity));
    if (QRinput_Struct_insertStructuredAppendHeaders(sequence.get()) != 0)
        return nullptr;
    std::unique_ptr<QRcode_List, ListDeleter> codes(QRcode_encodeInputStructured(sequence.get()));
    QRcode_List *entry = codes.get();
    for (int i = 1; entry && i < switches.sequence; ++i)
        entry = entry->next;
    if (!entry)
        return nullptr;
    QRcode *code = entry->code;
    entry->code = nullptr; // keep it past the list
    return code;
}

// Automatic input: zint splits the data into numeric, alphanumeric and byte
// segments where that makes the symbol smaller, as printers do, and picks the
// version and mask. False when the data does not fit.
bool EncodeAutomatic(const QByteArray &data, const QrSwitches &switches, MatrixSymbol *matrix)
{
    ZintSymbol symbol(BARCODE_QRCODE);
    if (zint_symbol *z = symbol.get()) {
        z->option_1 = switches.ecLevel == 'L' ? 1 : switches.ecLevel == 'M' ? 2 : switches.ecLevel == 'Q' ? 3 : 4;
        if (switches.sequenceCount > 1) {
            z->structapp.index = switches.sequence;
            z->structapp.count = switches.sequenceCount;
            std::snprintf(z->structapp.id, sizeof z->structapp.id, "%d", switches.parity);
        }
    }
    QString error;
    if (!symbol.encode(data, &error))
        return false;
    *matrix = symbol.matrix();
    return true;
}

MatrixSymbol ToMatrix(const QRcode &code)
{
    MatrixSymbol matrix;
    matrix.columns = matrix.rows = code.width;
    const std::size_t cells = std::size_t(code.width) * std::size_t(code.width);
    matrix.dark.resize(cells);
    for (std::size_t i = 0; i < cells; ++i)
        matrix.dark[i] = code.data[i] & 1;
    return matrix;
}

} // namespace

BarcodeResult EncodeQrField(const BarcodeRequest &request)
{
    BarcodeResult result;
    FieldParams params(request.params, &result.notes);
    if (params.number(0, "QR model", 2, 1, 2) == 1)
        result.notes << QStringLiteral("QR model 1 is not supported; drawn as model 2");
    const int magnification = params.number(1, "QR magnification", DefaultMagnification(request.dpmm), 1, 100);
    // The field data's switches give the level; the parameter is only checked.
    if (!params.text(2).isEmpty())
        params.letter(2, "QR error correction", 'M', "HQML");
    if (!params.text(3).isEmpty() && params.number(3, "QR mask", 7, 0, 7) != 7)
        result.notes << QStringLiteral("QR mask %1 cannot be forced; the mask is chosen automatically")
                            .arg(QString::fromLatin1(params.text(3)));

    const QrSwitches switches = ParseQrSwitches(request.data, &result.notes);
    const QString tooLong = QStringLiteral("QR data does not fit a symbol at error correction level %1")
                                .arg(QLatin1Char(switches.ecLevel));
    MatrixSymbol matrix;
    if (!switches.manual) {
        const QByteArray data = switches.segments.front().data;
        if (data.isEmpty()) {
            result.notes << QStringLiteral("QR field has no data to encode");
            return result;
        }
        if (!EncodeAutomatic(data, switches, &matrix)) {
            result.notes << tooLong;
            return result;
        }
    } else {
        // Manual input: each segment in the mode it names, by libqrencode.
        InputPtr input = BuildInput(switches, &result.notes);
        if (!input) {
            result.notes << QStringLiteral("QR field has no data to encode");
            return result;
        }
        std::unique_ptr<QRcode, CodeDeleter> code(switches.sequenceCount > 1
                                                      ? EncodeInSequence(std::move(input), switches)
                                                      : QRcode_encodeInput(input.get()));
        if (!code) {
            result.notes << tooLong;
            return result;
        }
        matrix = ToMatrix(*code);
    }
    result.ok = true;
    result.symbol = std::move(matrix);
    result.moduleWidth = result.moduleHeight = magnification;
    result.topOffset = request.by.height;
    return result;
}

} // namespace zpl
