#pragma once

// Builds a LinearSymbol left to right from elements: dark or light runs of
// whole dots. Adjacent dark runs merge into one bar, so callers may append
// module by module.

#include "Symbol.h"

#include <QByteArray>

namespace zpl {

class BarBuilder
{
public:
    void add(bool dark, int width, bool guard = false);
    // Modules from a "1011..." string ('1' dark), each `moduleWidth` dots.
    void addModules(const char *modules, int moduleWidth, bool guard = false);
    // Alternating bar and space widths from a string of digits ("2112..."),
    // in modules, bar first.
    void addWidths(const char *widths, int moduleWidth);
    LinearSymbol take();

private:
    LinearSymbol m_symbol;
    bool m_lastDark = false;
};

} // namespace zpl
