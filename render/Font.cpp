#include "Font.h"

#include "FontAdvances.h"
#include "Typeface.h"

#include <QtMath>

namespace zpl {

namespace {

// The ZPL guide's font matrices, in dots: the cell's height and width, the
// gap after each character and the baseline below the cell's top. Its
// "Intercharacter Gap and Baseline Parameters" table gives the gaps and
// baselines with the 8 dots/mm matrices ("the baseline for font "E" is 23
// dots down from the top of the matrix"); P-V are proportional and have a
// matrix only.
struct Cell { char name; int height, width, gap, baseline; };
constexpr Cell Cells[] = {
    {'A', 9, 5, 1, 7},      {'B', 11, 7, 2, 11},   {'C', 18, 10, 2, 14},  {'D', 18, 10, 2, 14},
    {'E', 28, 15, 5, 23},   {'F', 26, 13, 3, 21},  {'G', 60, 40, 8, 48},  {'H', 21, 13, 6, 21},
    {'P', 20, 18, 0, 0},    {'Q', 28, 24, 0, 0},   {'R', 35, 31, 0, 0},   {'S', 40, 35, 0, 0},
    {'T', 48, 42, 0, 0},    {'U', 59, 53, 0, 0},   {'V', 80, 71, 0, 0},
};

// The guide's font matrices for the other print heads ("6 dot/mm Printhead",
// "12 dot/mm (300 dpi) Printhead", "24 dot/mm (600 dpi) Printhead") keep
// every font's matrix in dots, so that the same font prints smaller on a
// denser head, except the two OCR fonts: "E | 21 x 10 | OCR-B" and
// "H | 17 x 11 | OCR-A" at 6 dots/mm, "E | 42 x 20 | OCR-B" and
// "H | 34 x 22 | OCR-A" at 12 and at 24 dots/mm. (The 6 dots/mm table lists
// no P-V; they keep their matrices there as everywhere else.) Their gap and
// baseline go with the matrix, from the 8 dots/mm figures.
struct Matrix { int height, width; };
Matrix matrixOf(const Cell &cell, int dpmm)
{
    if (cell.name == 'E' && dpmm != 8)
        return dpmm < 8 ? Matrix{21, 10} : Matrix{42, 20};
    if (cell.name == 'H' && dpmm != 8)
        return dpmm < 8 ? Matrix{17, 11} : Matrix{34, 22};
    return {cell.height, cell.width};
}

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

// An 8 dots/mm figure carried to a matrix of `to` dots where the guide's is `from`.
int along(int figure, int to, int from)
{
    return qRound(qreal(figure) * to / from);
}

// Font 0's baseline below the cap tops, in h: the ZPL guide's 3/4 of the cell.
constexpr qreal CapHeight = 0.75;
constexpr qreal HyphenAdvance = 0.90;

} // namespace

Font::Font(char name, int height, int width, int dpmm)
{
    const char upper = name >= 'a' && name <= 'z' ? char(name - 32) : name;
    if (upper == '0') {
        scalable(height, width);
        return;
    }
    // The ZPL guide, ^CF: "If you ... enter an invalid font value, any data
    // you specify prints in font A."
    const Cell *cell = cellOf(upper);
    m_fallback = !cell;
    if (!cell)
        cell = cellOf('A');
    m_name = cell->name;
    // The ZPL guide, ^A: "If you specify only the height or width value, the
    // standard matrix for that font automatically determines the other
    // value. If the value is not given or a 0 (zero) is entered, the height
    // or width is determined by the standard font matrix." Bitmap fonts
    // magnify their matrix by whole numbers, the same both ways when one is given.
    const Matrix matrix = matrixOf(*cell, dpmm);
    const int cellH = matrix.height, cellW = matrix.width;
    int magH = height > 0 ? magnification(height, cellH) : 0;
    int magW = width > 0 ? magnification(width, cellW) : 0;
    magH = magH > 0 ? magH : qMax(1, magW);
    magW = magW > 0 ? magW : magH;
    if (cell->baseline == 0) {      // P-V
        scalable(cellH * magH, cellW * magW);
        return;
    }
    m_face = &Typeface::monospace();
    m_height = cellH * magH;
    m_width = cellW * magW;
    m_cellAdvance = (cellW + along(cell->gap, cellW, cell->width)) * magW;
    m_baseline = along(cell->baseline, cellH, cell->height) * magH;
    // Capitals from the cell's top to its baseline; the face's advance box
    // fills the cell's width.
    m_scaleY = m_face->capHeight() > 0 ? m_baseline / m_face->capHeight() : 0;
    const qreal faceAdvance = m_face->glyph(U'M').advance;
    m_scaleX = faceAdvance > 0 ? m_width / faceAdvance : 0;
    // A bitmap font prints each stroke at least a dot wide. The face's outline
    // scaled to a small cell (A's 9 x 5) has strokes thinner than a dot, which
    // fall between the dots' centres: H would print as its bar alone. Such
    // outlines are widened all round until their thinnest stroke is a dot.
    const qreal thinnest = qMin(m_face->stemWidth() * m_scaleX, m_face->barHeight() * m_scaleY);
    m_widening = thinnest > 0 ? qMax<qreal>(0, 1 - thinnest) : 0;
}

Font::Font(std::shared_ptr<Typeface> downloaded, int height, int width) : m_downloaded(std::move(downloaded))
{
    m_face = m_downloaded.get();
    m_name = '@';
    if (height <= 0 && width <= 0)
        height = width = 15;
    m_height = qBound(1, height > 0 ? height : width, 32000);
    m_width = qBound(1, width > 0 ? width : height, 32000);
    m_scaleY = m_height / Typeface::ReferenceSize;
    m_scaleX = m_scaleY * m_width / m_height;
    m_baseline = m_face->ascent() * m_scaleY;
}

// Font 0 (and P-V at their magnified matrices): one of height and width
// missing or 0 is the other.
void Font::scalable(int height, int width)
{
    m_face = &Typeface::scalable();
    if (height <= 0 && width <= 0) {   // the ZPL guide's font matrices: "0 Default: 15 x 12"
        height = 15;
        width = 12;
    }
    m_height = qBound(1, height > 0 ? height : width, 32000);
    m_width = qBound(1, width > 0 ? width : height, 32000);
    m_scaleY = m_face->capHeight() > 0 ? CapHeight * m_height / m_face->capHeight() : 0;
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
    if (printerFace() && (c == U'-' || c == U'='))
        return HyphenAdvance * m_width;
    if (printerFace()) {   // font 0's face: font 0, P-V
        if (const FontZeroMark *mark = FontZeroMarkOf(c))
            return mark->advance * m_width;
        if (const qreal advance = FontZeroAdvance(c); advance > 0)
            return advance * m_width;
    }
    return m_face->glyph(c).advance * m_scaleX;
}

qreal Font::advance(const QString &text) const
{
    qreal total = 0;
    for (const char32_t c : shown(text).toUcs4())
        total += advanceOf(c);
    return total;
}

void Font::addText(QPainterPath &to, const QString &text, qreal x, qreal y, const QTransform &placement) const
{
    // Where glyphs overlap (lines printed over each other, tight advances) a
    // printer prints both: the nonzero rule fills them, where odd-even would
    // leave the overlap white.
    to.setFillRule(Qt::WindingFill);
    const qreal baseline = y + m_baseline;
    for (const char32_t c : shown(text).toUcs4()) {
        const qreal advance = advanceOf(c);
        if (printerFace() && c == U'-') {
            // The printer's hyphen is a wide bar: 0.58 h of ink, 0.12 h thick.
            const qreal inkWidth = 0.58 * m_width;
            to.addPolygon(placement.map(QPolygonF(QRectF(x + (advance - inkWidth) / 2, y + 0.37 * m_height, inkWidth,
                                                         0.12 * m_height))));
            to.closeSubpath();
        } else if (const FontZeroMark *mark = printerFace() ? FontZeroMarkOf(c) : nullptr) {
            // A mark such as the registered sign: the face's glyph shrunk into
            // its box on the cap line, centred in its advance.
            const QPainterPath &path = m_face->glyph(c).path;
            const QRectF ink = path.boundingRect();
            if (!ink.isEmpty()) {
                const qreal sx = mark->width * m_width / ink.width(), sy = mark->height * m_height / ink.height();
                const qreal left = x + (advance - mark->width * m_width) / 2;
                to.addPath((QTransform(sx, 0, 0, sy, left - ink.left() * sx, y - ink.top() * sy) * placement).map(path));
            }
        } else if (c != U' ') {
            // Bitmap fonts: the glyph in its cell, the gap after it. Font 0's
            // face: the glyph stretched or squeezed across to its advance.
            const Typeface::Glyph &glyph = m_face->glyph(c);
            const qreal sx = printerFace() && glyph.advance > 0 && FontZeroAdvance(c) > 0 ? advance / glyph.advance
                                                                                                : m_scaleX;
            const QTransform t = QTransform(sx, 0, 0, m_scaleY, x, baseline) * placement;
            if (m_widening > 0)
                to.addPath(m_face->widened(c, QTransform(t.m11(), t.m12(), t.m21(), t.m22(), 0, 0), m_widening)
                               .translated(t.dx(), t.dy()));
            else
                to.addPath(t.map(glyph.path));
        }
        x += advance;
    }
}

} // namespace zpl
