#pragma once

// Font 0's advances as the printer's, character by character, in units of the
// font's width (of its height h when w = h): from the start of one character
// to the start of the next. Our face's glyphs are scaled across to them. The
// figures and where they were measured are in FontAdvances.cpp.

#include <QtGlobal>

namespace zpl {

// The advance of c, or 0 for a character without an entry (its glyph keeps
// the face's own advance).
qreal FontZeroAdvance(char32_t c);

// A character the printer prints as a small mark on the cap line rather than
// as a letter: its ink box (of the font's width across, its height down) from
// the cap line, centred in its advance.
struct FontZeroMark
{
    qreal advance = 0, width = 0, height = 0;
};
const FontZeroMark *FontZeroMarkOf(char32_t c);   // nullptr: not a mark

} // namespace zpl
