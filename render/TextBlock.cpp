#include "TextBlock.h"

#include "Font.h"

#include <QStringList>

namespace zpl {

namespace {

// Words that fit `room`, with a word too long for any line cut, and hyphenated, where it must.
QStringList wrap(const Font &font, const QString &paragraph, qreal first, qreal room)
{
    QStringList lines;
    QString line;
    qreal lineWidth = 0;
    const qreal space = font.advance(QStringLiteral(" "));
    for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qreal limit = lines.isEmpty() ? first : room;
        const qreal wordWidth = font.advance(word);
        if (!line.isEmpty() && (limit <= 0 || lineWidth + space + wordWidth <= limit)) {
            line += QLatin1Char(' ') + word;
            lineWidth += space + wordWidth;
            continue;
        }
        if (!line.isEmpty()) {
            lines.append(line);
            line.clear();
        }
        if (room > 0 && wordWidth > room) {
            // Cut the word where the line is full, each cut marked with a
            // hyphen that fits, in one pass over it.
            const qreal hyphen = font.advance(QStringLiteral("-"));
            QString piece;
            qreal pieceWidth = 0;
            for (qsizetype k = 0; k < word.size(); ++k) {
                const QChar c = word.at(k);
                const qreal w = font.advance(QString(c));
                if (!piece.isEmpty() && pieceWidth + w + (k + 1 < word.size() ? hyphen : 0) > room) {
                    lines.append(piece + QLatin1Char('-'));
                    piece.clear();
                    pieceWidth = 0;
                }
                piece += c;
                pieceWidth += w;
            }
            word = piece;
        }
        line = word;
        lineWidth = font.advance(word);
    }
    lines.append(line);
    return lines;
}

} // namespace

void LayOutBlock(const FieldState &field, const Font &font, const QString &text, QPainterPath &path, QPointF *anchor,
                 QSizeF *size)
{
    const qreal width = field.blockWidth;
    const qreal pitch = font.height() + field.blockSpacing;
    const int maxLines = field.blockLines;
    int index = 0;
    qreal widest = 0;
    const QStringList paragraphs = text.split(QStringLiteral("\\&"));
    const qreal space = font.advance(QStringLiteral(" "));
    for (qsizetype p = 0; p < paragraphs.size(); ++p) {
        const QString &paragraph = paragraphs.at(p);
        const qreal indent = index == 0 ? 0 : field.blockIndent;
        const QStringList lines = wrap(font, paragraph, width - indent, width - field.blockIndent);
        for (int i = 0; i < lines.size() && index < 10000; ++i, ++index) {
            if (field.blockHeight > 0 && index >= maxLines)
                continue;   // ^TB: what does not fit its height is cut off
            const QString &line = lines.at(i);
            const qreal lead = index == 0 ? 0 : field.blockIndent;
            const qreal advance = font.advance(line);
            widest = qMax(widest, advance + lead);
            // ^FB: lines beyond the maximum print over the last one.
            const qreal y = qMin(index, maxLines - 1) * pitch;
            const qreal room = width - lead;
            const bool last = i == lines.size() - 1;
            if (field.blockJustify == 'J' && !last && width > 0) {
                const QStringList words = line.split(QLatin1Char(' '));
                qreal used = 0;
                for (const QString &w : words)
                    used += font.advance(w);
                const qreal gap = words.size() > 1 ? (room - used) / (words.size() - 1) : 0;
                qreal x = lead;
                for (const QString &w : words) {
                    font.addText(path, w, x, y);
                    x += font.advance(w) + gap;
                }
                continue;
            }
            qreal x = lead;
            // Printers centre a line as if one space followed it, unless a
            // \& ends it.
            if (field.blockJustify == 'C')
                x = lead + (room - advance - (last && p + 1 < paragraphs.size() ? 0 : space)) / 2;
            else if (field.blockJustify == 'R')
                x = lead + room - advance;
            font.addText(path, line, x, y);
        }
    }
    *size = QSizeF(width > 0 ? width : widest, font.height() + (maxLines - 1) * pitch);
    *anchor = QPointF(0, (maxLines - 1) * pitch + font.baseline());
}

} // namespace zpl
