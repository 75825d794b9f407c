#pragma once

// The one entry the ZPL interpreter calls for every ^B command: it turns the
// command's parameters, the ^BY state and the field data into a symbol.
// Encoders never paint and never fail loudly: bad data gives ok = false (or a
// best-effort symbol) with notes that say what was wrong.

#include "Symbol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace zpl {

struct BarDefaults { int moduleWidth = 2; double ratio = 3.0; int height = 10; }; // ^BY, persists in the printer
struct BarcodeRequest {
    char type = 0;                  // the character after ^B: 'C' (Code 128), 'Q' (QR), '3', 'E', 'X', '7', ...
    QList<QByteArray> params;       // the parameters after o, where the type has one (the core handles o and ^FW)
    BarDefaults by;                 // ^BY state at the field
    int dpmm = 8;
    QByteArray data;                // ^FD bytes after ^FH decoding (raw bytes, not ^CI-decoded)
};
enum class TextLine { None, Below, Above };
struct BarcodeResult {
    bool ok = false;                                   // false: nothing to draw; notes say why
    std::variant<LinearSymbol, MatrixSymbol, DotSymbol> symbol;
    int barHeight = 0;                                 // linear: bar height in dots
    int moduleWidth = 1, moduleHeight = 1;             // matrix: dots per module, across and down
    TextLine textLine = TextLine::None;                // linear: the interpretation line
    QString text;                                      // its text as printed
    int topOffset = 0;                                 // dots the symbol sits below the ^FO point (QR: the ^BY height)
    QStringList notes;                                 // diagnostics (the core adds offset and command)
};
bool IsBarcodeType(char type);                         // the types EncodeBarcodeField knows
int BarHeightParameter(char type);                     // which parameter is the bar height; -1: none
// ^BD (MaxiCode) is the one type whose first parameter is no orientation:
// "^BDm,n,t" in the ZPL guide, m the mode. ^FW "sets the default orientation
// for all command fields that have an orientation (rotation) parameter", so
// it leaves MaxiCode upright.
bool TakesOrientation(char type);
BarcodeResult EncodeBarcodeField(const BarcodeRequest &request);

} // namespace zpl
