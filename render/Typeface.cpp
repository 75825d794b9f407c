#include "Typeface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace zpl {

Typeface &Typeface::scalable()
{
    // Font 0 stands in for a proprietary face: a narrow bold grotesque whose
    // advances are close to the printer's. The files are listed in
    // render/CMakeLists.txt, which the Windows package reads too.
    static Typeface face(QString::fromUtf8(ZPLRENDER_SCALABLE_FONTS).split(u'|'));
    return face;
}

Typeface &Typeface::monospace()
{
    static Typeface face(QString::fromUtf8(ZPLRENDER_MONOSPACE_FONTS).split(u'|'));
    return face;
}

Typeface::Typeface(const QStringList &candidates)
{
    // The folder "fonts" beside the program first, where the Windows package
    // carries the files, then where the system keeps them.
    QStringList paths;
    if (QCoreApplication::instance()) {
        const QDir beside(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
        for (const QString &path : candidates)
            paths << QDir::toNativeSeparators(beside.filePath(QFileInfo(path).fileName()));
    }
    paths += candidates;
    for (const QString &path : std::as_const(paths)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        m_font.loadFromData(file.readAll(), ReferenceSize, QFont::PreferNoHinting);
        if (m_font.isValid())
            break;
    }
    m_tried = paths.join(QStringLiteral(", "));
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
