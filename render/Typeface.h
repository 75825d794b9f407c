#pragma once

// A font file loaded once by its path, with its glyph outlines at a reference
// size of 1000 pixels per em. Outlines are unhinted, so that scaling them to
// any field size keeps their shapes. A missing or unreadable file is said once
// on standard error; the face is then empty and draws nothing. The font files
// are named here only (Debian's paths, or a fonts/ folder beside the program).

#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QTransform>

#include <memory>

namespace zpl {

class Typeface
{
public:
    static constexpr qreal ReferenceSize = 1000;

    struct Glyph
    {
        QPainterPath path;      // baseline at y = 0, pen at x = 0, y downwards
        qreal advance = 0;
    };

    // The faces the renderer uses: font 0 and the cells of the bitmap fonts.
    static Typeface &scalable();
    static Typeface &monospace();

    explicit Typeface(const QStringList &candidates);
    // A font file a job downloaded (~DY, ~DU), drawn as it is (no flattening
    // of overshoot as for the printer's own faces).
    static std::shared_ptr<Typeface> fromData(const QByteArray &fontFile);
    bool isLoaded() const { return m_font.isValid(); }
    QString missingText() const;        // what to tell the user when it is not
    const Glyph &glyph(char32_t c);
    // The glyph's outline under `linear` (a scale and a turn, no move), widened
    // all round by `width`: kept, as labels repeat their few characters.
    const QPainterPath &widened(char32_t c, const QTransform &linear, qreal width);
    qreal capHeight() const { return m_capHeight; }    // of H's ink, at the reference size
    // H's strokes at the reference size: its left stem across, its bar down.
    qreal stemWidth() const { return m_stemWidth; }
    qreal barHeight() const { return m_barHeight; }
    qreal ascent() const { return m_font.isValid() ? m_font.ascent() : 0; }

private:
    QRawFont m_font;
    QString m_tried;
    QHash<char32_t, Glyph> m_glyphs;
    QHash<QByteArray, QPainterPath> m_widened;
    qreal m_capHeight = 0, m_stemWidth = 0, m_barHeight = 0;
};

} // namespace zpl
