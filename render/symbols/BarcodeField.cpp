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

struct Entry { char type; Encoder encode; };

// One row per ^B type this library encodes.
constexpr Entry kEncoders[] = {
    {'C', EncodeCode128Field},
    {'3', EncodeCode39Field},
    {'1', EncodeCode11Field},
    {'A', EncodeCode93Field},
    {'2', EncodeInterleaved2of5Field},
    {'K', EncodeCodabarField},
    {'E', EncodeEan13Field},
    {'8', EncodeEan8Field},
    {'U', EncodeUpcAField},
    {'9', EncodeUpcEField},
    {'S', EncodeUpcEanExtensionField},
    {'Q', EncodeQrField},
    {'X', EncodeDataMatrixField},
    {'7', EncodePdf417Field},
    {'O', EncodeAztecField},
    {'0', EncodeAztecField},
    {'D', EncodeMaxiCodeField},
    {'Z', EncodePostnetField},
};

Encoder FindEncoder(char type)
{
    for (const Entry &entry : kEncoders) {
        if (entry.type == type)
            return entry.encode;
    }
    return nullptr;
}

} // namespace

bool IsBarcodeType(char type)
{
    return FindEncoder(type) != nullptr;
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
