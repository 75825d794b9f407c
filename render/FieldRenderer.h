#pragma once

// Turns a finished field (at its ^FS) into drawing operations on the label:
// text (one line or a ^FB block), barcodes (encoded by EncodeBarcodeField),
// boxes, circles, lines, ellipses and images. Placement: ^FO puts the top-left
// of the field's rotated box at the point; ^FT puts the field's typeset origin
// there (text: the left end of the baseline, of the last possible line in a
// block; barcodes: the left end of the bars' base; shapes and images: their
// bottom-left corner) and the field rotates about it. Right justified (^FO
// and ^FT's z, ^FW's), the field ends at the point: ^FO puts its top-right
// corner there, ^FT the right end of its baseline (or bars, or bottom).

#include "FieldState.h"
#include "Label.h"

#include <QTransform>

namespace zpl {

class Font;

class FieldRenderer
{
public:
    FieldRenderer(const PrinterState &state, int dpmm, Label &label);

    // Adds the field's operations and diagnostics; returns where a following
    // ^FT without coordinates continues (after this text field, else `next`).
    QPoint render(const FieldState &field, QPoint next);

    // Upright coordinates (box of `size`, origin top-left) to label dots.
    static QTransform placement(Rotation rotation, FieldState::Origin origin, QPoint at, QSizeF size,
                                QPointF anchor, bool right);

private:
    QPoint text(const FieldState &field, QPoint next);
    void barcode(const FieldState &field);
    void shape(const FieldState &field);
    void image(const FieldState &field);
    static QPoint topLeftOf(const FieldState &field, QSize size);
    void add(const FieldState &field, DrawOp op);
    void note(const FieldState &field, const QString &text);
    int number(const FieldState &field, int index, int fallback, int low, int high);

    const PrinterState &m_state;
    int m_dpmm;
    Label &m_label;
    bool m_notedOutside = false;    // beyond ^PW: said once a field
};

} // namespace zpl
