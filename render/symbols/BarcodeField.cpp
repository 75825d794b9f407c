#include "BarcodeField.h"

#include "AztecField.h"
#include "Code11Field.h"
#include "Code128Field.h"
#include "CodabarField.h"
#include "Code39Field.h"
#include "DataMatrixField.h"
#include "EanUpcField.h"
#include "Interleaved2of5Field.h"
#include "MaxiCodeField.h"
#include "Pdf417Field.h"
#include "PostnetField.h"
#include "QrField.h"

namespace zpl {

namespace {

using Encoder = BarcodeResult (*)(const BarcodeRequest &);

// The parameter that gives the bar height in dots, counted from o: ^MU
// converts it. Matrix symbols have none (their sizes are modules).
constexpr int NoHeight = -1;

struct Entry { char type; Encoder encode; int height; };

// One row per ^B type this library encodes.
constexpr Entry kEncoders[] = {
    {'C', EncodeCode128Field, 1},           // ^BCo,h
    {'3', EncodeCode39Field, 2},            // ^B3o,e,h
    {'1', EncodeCode11Field, 2},            // ^B1o,e,h
    {'A', EncodeCode93Field, 1},
    {'2', EncodeInterleaved2of5Field, 1},
    {'K', EncodeCodabarField, 2},           // ^BKo,e,h
    {'E', EncodeEan13Field, 1},
    {'8', EncodeEan8Field, 1},
    {'U', EncodeUpcAField, 1},
    {'9', EncodeUpcEField, 1},
    {'S', EncodeUpcEanExtensionField, 1},
    {'Q', EncodeQrField, NoHeight},
    {'X', EncodeDataMatrixField, NoHeight},
    {'7', EncodePdf417Field, 1},            // ^B7o,h: the row height
    {'O', EncodeAztecField, NoHeight},
    {'0', EncodeAztecField, NoHeight},
    {'D', EncodeMaxiCodeField, NoHeight},
    {'Z', EncodePostnetField, 1},
};

const Entry *Find(char type)
{
    for (const Entry &entry : kEncoders) {
        if (entry.type == type)
            return &entry;
    }
    return nullptr;
}

Encoder FindEncoder(char type)
{
    const Entry *entry = Find(type);
    return entry ? entry->encode : nullptr;
}

} // namespace

bool IsBarcodeType(char type)
{
    return FindEncoder(type) != nullptr;
}

int BarHeightParameter(char type)
{
    const Entry *entry = Find(type);
    return entry ? entry->height : NoHeight;
}

bool TakesOrientation(char type)
{
    return type != 'D';
}

BarcodeResult EncodeBarcodeField(const BarcodeRequest &request)
{
    if (Encoder encode = FindEncoder(request.type)) {
        // ^BY's own limits, so that no encoder meets a width it cannot lay out.
        BarcodeRequest checked = request;
        checked.by.moduleWidth = qBound(1, request.by.moduleWidth, 10);
        checked.by.ratio = qBound(2.0, request.by.ratio, 3.0);
        checked.by.height = qBound(1, request.by.height, 32000);
        return encode(checked);
    }
    BarcodeResult result;
    result.notes << QStringLiteral("barcode type ^B%1 is not supported; field skipped")
                        .arg(QLatin1Char(request.type ? request.type : '?'));
    return result;
}

} // namespace zpl
