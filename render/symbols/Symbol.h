#pragma once

// What a barcode encoder hands to the painter: bars or modules, never pixels.
// Linear symbols are measured in dots already (module widths applied); matrix
// symbols are in modules, and the painter scales each module by the field's
// module size.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zpl {

// A dark bar of a linear symbol, in dots from the symbol's left edge. Guard bars (EAN/UPC) reach lower;
// a short bar (POSTNET) is that many dots high, standing on the base line.
struct Bar { int x = 0; int width = 0; bool guard = false; int shortHeight = 0; };
// Where one character of an interpretation line goes: x and width in dots from the symbol's left edge (EAN/UPC:
// the symbol character it stands for, or a place as wide beside the guard bars).
struct TextPlace { int x = 0; int width = 0; };
struct LinearSymbol {
    std::vector<Bar> bars;
    int width = 0;                  // dots, quiet zones excluded
    std::vector<TextPlace> places;   // EAN/UPC: a place for each character of the line; empty: the line is centred
};
struct MatrixSymbol {                                                    // row-major, 1 = dark
    int columns = 0, rows = 0; std::vector<std::uint8_t> dark;
    bool at(int column, int row) const { return dark[std::size_t(row) * std::size_t(columns) + std::size_t(column)] != 0; }
};

// A symbol whose modules are no grid of squares (MaxiCode's hexagons and
// bullseye), already laid out as runs of dots: x, y, width, height from the
// symbol's top-left, painted as they are.
struct DotRun { int x = 0, y = 0, width = 0, height = 1; };
struct DotSymbol { std::vector<DotRun> runs; int width = 0, height = 0; };

} // namespace zpl
