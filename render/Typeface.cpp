#include "Typeface.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainterPathStroker>

#include <cstdio>

namespace zpl {

namespace {

// The font files are listed in render/CMakeLists.txt (where Debian keeps
// them), which the Windows package reads too. Each is looked for first in a
// fonts/ folder beside the program, where that package carries it.
QStringList fontFiles(const char *debianPaths)
{
    const QStringList debian = QString::fromUtf8(debianPaths).split(u'|');
    QStringList paths;
    if (QCoreApplication::instance()) {
        for (const QString &path : debian)
            paths << QCoreApplication::applicationDirPath() + QStringLiteral("/fonts/") + QFileInfo(path).fileName();
    }
    return paths + debian;
}

} // namespace

Typeface &Typeface::scalable()
{
    // Font 0 stands in for a proprietary condensed bold sans. Of the free
    // condensed bold faces in Debian, Open Sans Condensed Bold (fonts-open-sans,
    // Apache 2.0) comes closest to the printer's advances once its capitals are
    // scaled to 3/4 of the cell: its capitals about 4 % narrower, its digits 1 %
    // wider, its lower case as wide as Nimbus Sans Narrow Bold's, whose
    // capitals are 6 % too wide (DejaVu Sans Condensed Bold: 26 %). The
    // characters FontAdvances.h lists are scaled across to the printer's
    // advances, so of those only the face's shapes are kept.
    static Typeface face(fontFiles(ZPLRENDER_SCALABLE_FONTS));
    return face;
}

Typeface &Typeface::monospace()
{
    static Typeface face(fontFiles(ZPLRENDER_MONOSPACE_FONTS));
    return face;
}

std::shared_ptr<Typeface> Typeface::fromData(const QByteArray &fontFile)
{
    auto face = std::make_shared<Typeface>(QStringList());
    face->m_font.loadFromData(fontFile, ReferenceSize, QFont::PreferNoHinting);
    face->m_tried = QStringLiteral("downloaded font");
    return face->m_font.isValid() ? face : nullptr;
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
    if (candidates.isEmpty())
        return;     // fromData() fills it
    if (!m_font.isValid()) {
        std::fprintf(stderr, "zplrender: %s\n", qPrintable(missingText()));
        return;
    }
    const QPainterPath &h = glyph(U'H').path;
    const QRectF box = h.boundingRect();
    m_capHeight = -box.top();
    // The stem where a quarter of the way up, the bar in the middle column.
    QPainterPath across, down;
    across.addRect(box.left(), box.bottom() - box.height() / 4, box.width() / 2, 1);
    down.addRect(box.center().x(), box.top(), 1, box.height());
    m_stemWidth = h.intersected(across).boundingRect().width();
    m_barHeight = h.intersected(down).boundingRect().height();
    m_glyphs.clear();   // outlines from now on sit on the cap line
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
            // A printer's font has no overshoot: round letters end on the cap
            // line and the baseline, as its flat ones do. Points within 2 % of
            // the em beyond either line are put on it.
            constexpr qreal Overshoot = 0.02 * ReferenceSize;
            for (int i = 0; m_capHeight > 0 && i < g.path.elementCount(); ++i) {
                const QPainterPath::Element e = g.path.elementAt(i);
                if (e.y < -m_capHeight && e.y >= -m_capHeight - Overshoot)
                    g.path.setElementPositionAt(i, e.x, -m_capHeight);
                else if (e.y > 0 && e.y <= Overshoot)
                    g.path.setElementPositionAt(i, e.x, 0);
            }
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

const QPainterPath &Typeface::widened(char32_t c, const QTransform &linear, qreal width)
{
    const qreal key[] = {qreal(c), linear.m11(), linear.m12(), linear.m21(), linear.m22(), width};
    const QByteArray id(reinterpret_cast<const char *>(key), sizeof key);
    auto found = m_widened.constFind(id);
    if (found != m_widened.cend())
        return *found;
    QPainterPathStroker around;
    around.setWidth(width);
    around.setJoinStyle(Qt::MiterJoin);
    const QPainterPath outline = linear.map(glyph(c).path);
    if (m_widened.size() > 4096)
        m_widened.clear();
    return *m_widened.insert(id, outline.united(around.createStroke(outline)));
}

} // namespace zpl
