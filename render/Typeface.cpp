#include "Typeface.h"

#include <QFile>

#include <cstdio>

namespace zpl {

Typeface &Typeface::scalable()
{
    // Font 0 stands in for a proprietary face: a narrow bold grotesque whose
    // advances are close to the printer's (fonts-urw-base35).
    static Typeface face({QStringLiteral("/usr/share/fonts/opentype/urw-base35/NimbusSansNarrow-Bold.otf"),
                          QStringLiteral("/usr/share/fonts/type1/urw-base35/NimbusSansNarrow-Bold.t1")});
    return face;
}

Typeface &Typeface::monospace()
{
    static Typeface face({QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf")});
    return face;
}

Typeface::Typeface(const QStringList &candidates)
{
    for (const QString &path : candidates) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        m_font.loadFromData(file.readAll(), ReferenceSize, QFont::PreferNoHinting);
        if (m_font.isValid())
            break;
    }
    m_tried = candidates.join(QStringLiteral(", "));
    if (!m_font.isValid()) {
        std::fprintf(stderr, "zplrender: %s\n", qPrintable(missingText()));
        return;
    }
    m_ascent = m_font.ascent();
    m_descent = m_font.descent();
}

QString Typeface::missingText() const
{
    return QStringLiteral("无法载入字体文件，文字不会画出 / cannot load a font file, text is not drawn: %1").arg(m_tried);
}

const Typeface::Glyph &Typeface::glyph(char32_t c)
{
    auto found = m_glyphs.constFind(c);
    if (found != m_glyphs.cend())
        return *found;
    Glyph g;
    if (m_font.isValid()) {
        const QChar pair[2] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
        const QString text = QChar::requiresSurrogates(c) ? QString(pair, 2) : QString(QChar(char16_t(c)));
        const QList<quint32> indexes = m_font.glyphIndexesForString(text);
        if (!indexes.isEmpty()) {
            g.path = m_font.pathForGlyph(indexes.first());
            const QList<QPointF> advances = m_font.advancesForGlyphIndexes(indexes);
            g.advance = advances.isEmpty() ? 0 : advances.first().x();
        }
    }
    // The cache stays small: a label uses few characters, and a job with many
    // different ones only costs their outlines.
    if (m_glyphs.size() > 4096)
        m_glyphs.clear();
    return *m_glyphs.insert(c, g);
}

} // namespace zpl
