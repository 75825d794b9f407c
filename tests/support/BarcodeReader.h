#pragma once

// The tests' barcode reader: what an independent decoder (zxing-cpp) reads
// from an image we painted. Test-only; the program itself never reads codes.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace testbarcode {

struct Decoded {
    QString format;     // the decoder's name for the symbology: "QRCode", "Code128", "EAN13", ...
    QByteArray text;    // the content's bytes, as encoded (no character set conversion)
    QString ecLevel;    // QR: "L", "M", "Q" or "H"; PDF417: the level's number; MaxiCode: the mode; else empty
};

// Every barcode the decoder finds in `image`, in any orientation, an EAN or
// UPC add-on after its symbol's digits and a space. The reader adds a white
// quiet zone around the image first, so a symbol may touch the image's edge.
// Dark pixels are ink, whatever the image's format.
QList<Decoded> ReadAll(const QImage &image);
// A MaxiCode that fills `image` alone, upright: the decoder reads MaxiCode
// only from such pure images, and samples the ink's box as 30 module pitches
// wide, so the half pitch the odd rows stand out on the right is cut off first.
QList<Decoded> ReadMaxiCode(const QImage &image);

} // namespace testbarcode
