#pragma once

// A ^FB text block laid out upright: lines wrapped at spaces to the block's
// width (a word longer than a line is cut), "\\&" starting a new line, lines
// beyond the maximum printed over the last one, justified L, C, R or J, the
// lines after the first indented by the hanging indent, each line one font
// height plus the extra spacing below the previous. The block is as high as
// its maximum number of lines, without spacing after the last.

#include "FieldState.h"

#include <QPainterPath>
#include <QString>

namespace zpl {

class Font;

// Adds the block's outlines to `path`; *size is the block's box and *anchor
// the left end of the last possible line's baseline (where ^FT puts it).
void LayOutBlock(const FieldState &field, const Font &font, const QString &text, QPainterPath &path, QPointF *anchor,
                 QSizeF *size);

} // namespace zpl
