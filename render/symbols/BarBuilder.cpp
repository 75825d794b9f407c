#include "BarBuilder.h"

#include <utility>

namespace zpl {

void BarBuilder::add(bool dark, int width, bool guard)
{
    if (width <= 0)
        return;
    if (dark) {
        if (m_lastDark && m_symbol.bars.back().guard == guard)
            m_symbol.bars.back().width += width;
        else
            m_symbol.bars.push_back({m_symbol.width, width, guard});
    }
    m_lastDark = dark;
    m_symbol.width += width;
}

void BarBuilder::addModules(const char *modules, int moduleWidth, bool guard)
{
    for (; *modules; ++modules)
        add(*modules == '1', moduleWidth, guard);
}

void BarBuilder::addWidths(const char *widths, int moduleWidth)
{
    for (int i = 0; widths[i]; ++i)
        add(i % 2 == 0, (widths[i] - '0') * moduleWidth);
}

LinearSymbol BarBuilder::take()
{
    m_lastDark = false;
    return std::exchange(m_symbol, LinearSymbol());
}

} // namespace zpl
