#pragma once

// A printer font at a field's size, laid out upright with the cell's top-left
// at (0, 0). Font 0 is scalable: its cap tops at y = 0, its baseline at 0.75 h
// (the face scaled so that its capitals are that high), w/h stretching it
// across. Its letters, digits and some punctuation advance as the printer's
// (FontAdvances.h), each glyph scaled across to its advance; the hyphen is
// 0.90 h wide, as the printer's, and the registered sign a small mark on the
// cap line. The bitmap fonts A-H have the ZPL guide's cells for the print
// head's density (height x width,
// gap after each character, baseline), magnified by whole numbers: a
// monospace face's capitals run from the cell's top to its baseline. P-V are
// proportional bitmap fonts at fixed matrices, drawn as font 0 at a whole
// magnification of theirs. Any other name prints in font A (see fallback()).

#include <QPainterPath>
#include <QString>
#include <QTransform>

#include <memory>

namespace zpl {

class Typeface;

class Font
{
public:
    // name: the character after ^A ('0', 'A'...'Z'). height, width: in dots;
    // 0 (or less) when not given, the other then sets both in proportion.
    Font(char name, int height, int width, int dpmm);
    // A downloaded TrueType font: its em square h dots high, stretched across
    // by w/h, its baseline at its ascent, its own advances.
    Font(std::shared_ptr<Typeface> downloaded, int height, int width);

    char name() const { return m_name; }
    bool fallback() const { return m_fallback; }   // the name was not one we have: font A
    bool available() const;                        // its face was loaded
    QString missingText() const;                   // what to say when it was not
    int height() const { return m_height; }        // the cell height in dots
    int width() const { return m_width; }
    qreal baseline() const { return m_baseline; }  // below the cell top
    QString shown(const QString &text) const;      // B and H: what of the text they can print
    qreal advance(const QString &text) const;      // of shown(text)
    // The outlines of shown(text), its pen starting at (x, cell top y), then
    // mapped by `placement`.
    void addText(QPainterPath &to, const QString &text, qreal x, qreal y,
                 const QTransform &placement = QTransform()) const;

private:
    void scalable(int height, int width);
    bool printerFace() const { return m_cellAdvance == 0 && !m_downloaded; }  // font 0's rules apply
    qreal advanceOf(char32_t c) const;

    Typeface *m_face = nullptr;
    std::shared_ptr<Typeface> m_downloaded;
    char m_name = '0';
    bool m_fallback = false;
    int m_height = 0, m_width = 0;
    qreal m_scaleX = 1, m_scaleY = 1;   // from the face's reference size
    qreal m_baseline = 0;
    qreal m_cellAdvance = 0;            // A-H: dots per character
    qreal m_widening = 0;               // A-H: what their outlines gain around, in dots
};

} // namespace zpl
