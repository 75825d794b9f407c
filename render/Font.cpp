#include "Font.h"

#include "Typeface.h"

#include <QtMath>

namespace zpl {

namespace {

// Bitmap font cells at 8 dots/mm: height, width and advance in dots.
struct Cell { char name; int height, width, advance; };
constexpr Cell Cells[] = {
    {'A', 9, 5, 6},    {'B', 11, 7, 9},  {'C', 18, 10, 12}, {'D', 18, 10, 12},
    {'E', 28, 15, 20}, {'F', 26, 13, 16}, {'G', 60, 40, 48}, {'H', 21, 13, 19},
};

const Cell *cellOf(char name)
{
    for (const Cell &c : Cells)
        if (c.name == name)
            return &c;
    return nullptr;
}

int magnification(int asked, int cell)
{
    return qBound(1, qRound(qreal(asked) / qMax(1, cell)), 10);
}

constexpr qreal CapHeight = 0.75;   // font 0: cap height and baseline, in h
constexpr qreal EmPerHeight = 1.045;
constexpr qreal HyphenAdvance = 0.90;

} // namespace

Font::Font(char name, int height, int width, int dpmm)
{
    const char upper = name >= 'a' && name <= 'z' ? char(name - 32) : name;
    const Cell *cell = cellOf(upper);
    if (cell) {
        m_name = upper;
        m_face = &Typeface::monospace();
        const qreal scale = dpmm / 8.0;
        const int cellH = qMax(1, qRound(cell->height * scale));
        const int cellW = qMax(1, qRound(cell->width * scale));
        const int magH = magnification(height > 0 ? height : cellH, cellH);
        const int magW = width > 0 ? magnification(width, cellW) : magH;
        m_height = cellH * magH;
        m_width = cellW * magW;
        m_cellAdvance = qMax(1, qRound(cell->advance * scale)) * magW;
        const qreal faceHeight = m_face->ascent() + m_face->descent();
        m_scaleY = faceHeight > 0 ? m_height / faceHeight : 0;
        const qreal faceAdvance = m_face->glyph(U'M').advance;
        m_scaleX = faceAdvance > 0 ? m_width / faceAdvance : 0;
        m_baseline = m_face->ascent() * m_scaleY;
        return;
    }
    m_fallback = upper != '0';
    m_face = &Typeface::scalable();
    m_height = qBound(1, height, 32000);
    m_width = width > 0 ? qBound(1, width, 32000) : m_height;
    m_scaleY = EmPerHeight * m_height / Typeface::ReferenceSize;
    m_scaleX = m_scaleY * m_width / m_height;
    m_baseline = CapHeight * m_height;
}

bool Font::available() const
{
    return m_face->isLoaded();
}

QString Font::missingText() const
{
    return m_face->missingText();
}

QString Font::shown(const QString &text) const
{
    if (m_name == 'B')
        return text.toUpper();
    if (m_name == 'H') {
        QString kept;
        for (const QChar c : text)
            if (!c.isLower())
                kept += c;
        return kept;
    }
    return text;
}

qreal Font::advanceOf(char32_t c) const
{
    if (m_cellAdvance > 0)
        return m_cellAdvance;
    if (c == U'-' || c == U'=')
        return HyphenAdvance * m_width;
    return m_face->glyph(c).advance * m_scaleX;
}

qreal Font::advance(const QString &text) const
{
    qreal total = 0;
    for (const char32_t c : shown(text).toUcs4())
        total += advanceOf(c);
    return total;
}

void Font::addText(QPainterPath &to, const QString &text, qreal x, qreal y) const
{
    // Where glyphs overlap (lines printed over each other, tight advances) a
    // printer prints both: the nonzero rule fills them, where odd-even would
    // leave the overlap white.
    to.setFillRule(Qt::WindingFill);
    const qreal baseline = y + m_baseline;
    for (const char32_t c : shown(text).toUcs4()) {
        const qreal advance = advanceOf(c);
        if (m_cellAdvance == 0 && c == U'-') {
            // The printer's hyphen is a wide bar: 0.58 h of ink, 0.12 h thick.
            const qreal inkWidth = 0.58 * m_width;
            to.addRect(QRectF(x + (advance - inkWidth) / 2, y + 0.37 * m_height, inkWidth, 0.12 * m_height));
        } else if (c != U' ') {
            const Typeface::Glyph &g = m_face->glyph(c);
            // Bitmap fonts: centre the glyph in its cell's advance.
            const qreal shift = m_cellAdvance > 0 ? (advance - g.advance * m_scaleX) / 2 : 0;
            QTransform t(m_scaleX, 0, 0, m_scaleY, x + shift, baseline);
            to.addPath(t.map(g.path));
        }
        x += advance;
    }
}

} // namespace zpl
