#pragma once

// The interpreter's state in its three lifetimes: what persists in the printer
// across formats and jobs, and what one field collects until its ^FS.

#include "BarcodeField.h"
#include "Units.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPoint>

#include <memory>

namespace zpl {

class Typeface;

enum class Rotation { N, R, I, B };

// Survives ^XZ until changed (and a new Printer starts from these, as at power-up).
struct PrinterState
{
    BarDefaults by;
    char font = 'A';                 // ^CF
    int fontHeight = 9, fontWidth = 5;   // 0: in proportion to the other
    Rotation rotation = Rotation::N; // ^FW
    int justify = 0;                 // ^FW's z: 0 left, 1 right, 2 auto (by the text's direction)
    QPoint home;                     // ^LH
    bool reverseAll = false;         // ^LR
    int codePage = 0;                // ^CI
    int printWidth = 0;              // ^PW, 0: the media's
    int labelLength = 0;             // ^LL, 0: the media's
    char mediaTracking = 'Y';        // ^MN: N and V (continuous) print ^LL long; Y, W, M, A (labels) the media's length
    bool invert = false;             // ^PO
    QByteArray printRate;            // ^PR: "p,s,b" as far as given, each valid
    QByteArray darkness;             // ~SD: 0-30, tenths allowed
    double mediaDarkness = 0;        // ^MD
    Units units;                     // ^MU
    QMap<char, QByteArray> fontAliases;  // ^CW: font letter -> object name
};

// Everything one field collects from its ^FO/^FT to its ^FS.
struct FieldState
{
    enum class Origin { None, Top, Baseline };      // ^FO: top-left; ^FT: typeset origin
    enum class Content { Text, Barcode, Box, Circle, Diagonal, Ellipse, Graphic };

    Origin origin = Origin::None;
    QPoint at;                      // ^LH included
    int justify = 0;                // ^FO/^FT's z, else ^FW's: 1 (or 2 for right-to-left text): the field ends at `at`

    bool hasFont = false;           // ^A
    char font = '0';
    std::shared_ptr<Typeface> downloaded;   // ^A@ or a ^CW letter naming a stored font
    bool fontRotated = false;
    Rotation fontRotation = Rotation::N;
    int fontHeight = 0, fontWidth = 0;   // 0: in proportion to the other

    bool block = false;             // ^FB
    int blockWidth = 0, blockLines = 1, blockSpacing = 0, blockIndent = 0;
    char blockJustify = 'L';
    int blockHeight = 0;            // ^TB: lines that fit this many dots, 0: ^FB's count
    bool blockRotated = false;      // ^TB's orientation, where no ^A gives one
    Rotation blockRotation = Rotation::N;
    bool symbols = false;           // ^GS: A-E are the registered, copyright, trademark, UL and CSA marks

    int fieldNumber = -1;           // ^FN, -1: none
    char direction = 'H';           // ^FP: H, V (one character a line) or R (right to left)
    int directionGap = 0;           // ^FP: extra dots between characters
    QByteArray clock;               // ^FC: the clock indicators, empty: none
    char hexIndicator = 0;          // ^FH, 0: none
    bool reverse = false;           // ^FR
    bool hasData = false;
    QByteArray data;                // ^FD, ^FH decoded

    Content content = Content::Text;
    qint64 contentOffset = 0;       // the command that set the content, for diagnostics
    QByteArray contentCommand;
    QList<QByteArray> params;       // its parameters (for ^B: after the orientation)
    char barcodeType = 0;
    bool barcodeRotated = false;
    Rotation barcodeRotation = Rotation::N;
    QImage graphic;                 // ^GF, decoded
};

} // namespace zpl
