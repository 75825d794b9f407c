#pragma once

// A printer font at a field's size: font 0 (scalable) or the bitmap fonts A-H
// (cells magnified by whole numbers), laid out upright with the cell's top-left
// at (0, 0). Font 0 puts its cap tops at y = 0 and its baseline at 0.75 h; its
// em is 1.045 h and w/h stretches it across; the hyphen is 0.90 h wide, as the
// printer's. Bitmap fonts take a monospace face sized to fill their cells.
// Other font names fall back to font 0 (see fallback()).

#include <QPainterPath>
#include <QString>

namespace zpl {

class Typeface;

class Font
{
public:
    // name: the character after ^A ('0', 'A'...'H', others fall back to '0').
    Font(char name, int height, int width, int dpmm);

    char name() const { return m_name; }
    bool fallback() const { return m_fallback; }   // the name was not one we have
    bool available() const;                        // its face was loaded
    QString missingText() const;                   // what to say when it was not
    int height() const { return m_height; }        // the cell height in dots
    int width() const { return m_width; }
    qreal baseline() const { return m_baseline; }  // below the cell top
    QString shown(const QString &text) const;      // B and H: what of the text they can print
    qreal advance(const QString &text) const;      // of shown(text)
    // The outlines of shown(text), its pen starting at (x, cell top y).
    void addText(QPainterPath &to, const QString &text, qreal x, qreal y) const;

private:
    qreal advanceOf(char32_t c) const;

    Typeface *m_face = nullptr;
    char m_name = '0';
    bool m_fallback = false;
    int m_height = 0, m_width = 0;
    qreal m_scaleX = 1, m_scaleY = 1;   // from the face's reference size
    qreal m_baseline = 0;
    qreal m_cellAdvance = 0;            // bitmap fonts: dots per character
};

} // namespace zpl
