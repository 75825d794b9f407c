#pragma once

// What the interpreter makes of one printed format: its size, its print
// settings, the drawing operations in printing order, and what was wrong.
// Coordinates are dots on the label, origin top-left, ^LH already applied.

#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

namespace zpl {

// The media loaded in the virtual printer: 4 x 6 in at 8 dots/mm unless told.
struct Media
{
    int dpmm = 8;               // 6, 8, 12 or 24
    double widthMm = 101.6;
    double lengthMm = 152.4;
    int widthDots() const;      // round(mm x dpmm), within MaxMediaDots
    int lengthDots() const;
};
// No label side is longer than this many dots, whatever a job or an option asks.
constexpr int MaxMediaDots = 8000;

struct Diagnostic
{
    qint64 offset = 0;          // byte offset of the command's prefix in the job
    QByteArray command;         // e.g. "^GB"
    QString text;
};

// One drawing operation. Each kind reads only the members named beside it.
struct DrawOp
{
    enum Kind {
        Box,        // rect, thickness, rounding (0-8), white
        Ellipse,    // rect, thickness, white
        Diagonal,   // rect (the ink: the line's box and its thickness across), thickness, rising
                    // (true: from bottom-left to top-right), white
        Rects,      // rects (bars and modules), white
        Path,       // path (text outlines, filled), white
        Bitmap      // rect.topLeft(), image (Format_Mono, 1 = black)
    };
    Kind kind = Box;
    QRect rect;
    int thickness = 1;
    int rounding = 0;
    bool rising = true;
    bool white = false;         // drawn in white instead of black
    bool reverse = false;       // ^FR / ^LR: inverts what lies beneath
    std::vector<QRect> rects;
    QPainterPath path;
    QImage image;
    QString text;               // text and barcode fields: what they show, for reports and tests
};

// A text field (^A, ^FD) as the job gave it, for clients that read a label's
// words: the point ^FO or ^FT named (^LH included) and the data after ^FH and
// ^CI. Barcodes and their interpretation lines are not among them.
struct TextField
{
    QPoint at;
    QString data;
};

struct Label
{
    int width = 0, length = 0;  // dots
    int printLeft = 0;          // ^PW: the columns printed, from printLeft on; the rest stays blank
    int printWidth = 0;         // 0: all
    int quantity = 1;           // ^PQ: shown, never drawn that many times
    QByteArray printRate;       // ^PR's speeds a printer accepted, e.g. "B" or "2,E,A"
    QByteArray darkness;        // ~SD as the printer holds it, e.g. "15" or "8.3"
    double mediaDarkness = 0;   // ^MD, -30 to 30
    bool invert = false;        // ^POI: the finished label turns 180 degrees
    qint64 offset = 0;          // where its ^XA stands in the job
    std::vector<DrawOp> ops;
    std::vector<TextField> texts;   // in the job's order, at most MaxOps
    std::vector<Diagnostic> diagnostics;
};

// What the operation may ink, in label dots.
QRect Bounds(const DrawOp &op);
// Moves the operation `dx` dots across.
void Shift(DrawOp &op, int dx);

// A label keeps at most this many operations and notes: a job of a million
// tiny commands must not take the memory of a million.
constexpr std::size_t MaxOps = 20000;
constexpr std::size_t MaxDiagnostics = 1000;

// Adds `d` unless the label has its fill of notes (the last one then says so).
inline void AddDiagnostic(Label &label, Diagnostic d)
{
    if (label.diagnostics.size() + 1 < MaxDiagnostics)
        label.diagnostics.push_back(std::move(d));
    else if (label.diagnostics.size() + 1 == MaxDiagnostics)
        label.diagnostics.push_back({d.offset, d.command, QStringLiteral("further notes are left out")});
}

} // namespace zpl
