#include "FieldRenderer.h"

#include "CodePage.h"
#include "Font.h"
#include "TextBlock.h"

#include <QtMath>

#include <algorithm>

namespace zpl {

namespace {

constexpr int MaxShape = 32000;

// What a text field shows: control characters have no glyphs on a printer.
QString printableText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            out += c;
    return out;
}

// The ZPL guide, ^BU: "The font style of the interpretation line depends on
// the modulus (width of narrow bar) selected in ^BY": "6 dot/mm printer: a
// modulus of 2 dots or greater prints with an OCR-B interpretation line; a
// modulus of 1 dot prints font A", at 8 dots/mm from 3 dots ("a modulus of 1
// or 2 dots prints font A"), at 12 from 5, at 24 from 9. It gives no size:
// the font is magnified, both ways, as far as a character's advance fits
// `place`, the seven modules of the symbol character under which it prints.
// Where OCR-B first fits, 13 dots in 14 at 6 dots/mm and 20 in 21 at 8, is
// where the guide turns to it.
Font RetailFont(int module, int place, int dpmm)
{
    const int ocrFrom = dpmm <= 6 ? 2 : dpmm <= 8 ? 3 : dpmm <= 12 ? 5 : 9;
    const Font unit(module >= ocrFrom ? 'E' : 'A', 0, 0, dpmm);
    const int times = qBound(1, int(place / unit.advance(QStringLiteral("0"))), 10);
    return Font(unit.name(), unit.height() * times, unit.width() * times, dpmm);
}

} // namespace

FieldRenderer::FieldRenderer(const PrinterState &state, int dpmm, Label &label)
    : m_state(state), m_dpmm(dpmm), m_label(label)
{
}

QTransform FieldRenderer::placement(Rotation rotation, FieldState::Origin origin, QPoint at, QSizeF size,
                                    QPointF anchor, bool right)
{
    QTransform turn;
    switch (rotation) {
    case Rotation::N: break;
    case Rotation::R: turn = QTransform(0, 1, -1, 0, 0, 0); break;
    case Rotation::I: turn = QTransform(-1, 0, 0, -1, 0, 0); break;
    case Rotation::B: turn = QTransform(0, -1, 1, 0, 0, 0); break;
    }
    // Right justified, the ZPL guide's ^FT puts the right end: "Origin is
    // base of bar code, at right edge", "bottom-right corner of the box"; ^FO,
    // whose corner is "independent of the rotation", the upper-right corner.
    QPointF from;
    if (origin == FieldState::Origin::Baseline) {
        from = turn.map(right ? QPointF(size.width(), anchor.y()) : anchor);
    } else {
        const QRectF box = turn.mapRect(QRectF(QPointF(0, 0), size));
        from = right ? QPointF(box.right(), box.top()) : box.topLeft();
    }
    return turn * QTransform::fromTranslate(at.x() - from.x(), at.y() - from.y());
}

QPoint FieldRenderer::render(const FieldState &field, QPoint next)
{
    FieldState placed = field;
    if (placed.origin == FieldState::Origin::None) {
        placed.origin = FieldState::Origin::Top;
        placed.at = m_state.home;
        placed.justify = m_state.justify;
    }
    switch (placed.content) {
    case FieldState::Content::Text: return text(placed, next);
    case FieldState::Content::Barcode: barcode(placed); break;
    case FieldState::Content::Graphic: image(placed); break;
    default: shape(placed); break;
    }
    return next;
}

// Shapes and images: ^FO gives their top-left corner, ^FT their bottom-left;
// right justified, the right corners.
QPoint FieldRenderer::topLeftOf(const FieldState &field, QSize size)
{
    return field.at - QPoint(field.justify == 1 ? size.width() : 0,
                             field.origin == FieldState::Origin::Baseline ? size.height() : 0);
}

void FieldRenderer::add(const FieldState &field, DrawOp op)
{
    op.reverse = field.reverse || m_state.reverseAll;
    if (m_state.printWidth > 0 && !m_notedOutside) {
        // Text: its box with room for overhangs first, its outline only near the edges.
        QRect bounds = op.kind == DrawOp::Path ? op.rect.adjusted(-op.rect.height(), 0, op.rect.height(), 0) : op.rect;
        if (op.kind == DrawOp::Path && (bounds.left() < 0 || bounds.right() >= m_state.printWidth))
            bounds = op.path.boundingRect().toAlignedRect();
        if (bounds.left() < 0 || bounds.right() >= m_state.printWidth) {
            note(field, QStringLiteral("the field reaches beyond the print width (^PW%1); what lies outside it is "
                                       "not printed").arg(m_state.printWidth));
            m_notedOutside = true;
        }
    }
    if (m_label.ops.size() < MaxOps) {
        m_label.ops.push_back(std::move(op));
        return;
    }
    const QString full = QStringLiteral("the label holds %1 drawings; further fields are left out").arg(MaxOps);
    if (m_label.diagnostics.empty() || m_label.diagnostics.back().text != full)
        note(field, full);
}

void FieldRenderer::note(const FieldState &field, const QString &text)
{
    AddDiagnostic(m_label, {field.contentOffset, field.contentCommand, text});
}

int FieldRenderer::number(const FieldState &field, int index, int fallback, int low, int high)
{
    const QByteArray text = field.params.value(index).trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (text.isEmpty() || !ok || !qIsFinite(value)) {
        if (!text.isEmpty())
            note(field, QStringLiteral("parameter %1 is not a number; the default is used").arg(index + 1));
        return fallback;
    }
    return int(qBound<double>(low, value, high));
}

QPoint FieldRenderer::text(const FieldState &field, QPoint next)
{
    if (!field.hasData)
        return next;
    const char name = field.hasFont ? field.font : m_state.font;
    const int height = field.hasFont ? field.fontHeight : m_state.fontHeight;
    const int width = field.hasFont ? field.fontWidth : m_state.fontWidth;
    const Font font = field.hasFont && field.downloaded ? Font(field.downloaded, height, width)
                                                        : Font(name, height, width, m_dpmm);
    if (font.fallback())
        note(field, QStringLiteral("font %1 is not built in; font A is used").arg(QLatin1Char(name)));
    if (!font.available())
        note(field, font.missingText());
    const Rotation rotation = field.hasFont && field.fontRotated ? field.fontRotation
                              : field.blockRotated             ? field.blockRotation
                                                               : m_state.rotation;
    const QString data = DecodeFieldData(field.data, m_state.codePage);
    if (m_label.texts.size() < MaxOps)
        m_label.texts.push_back({field.at, data});
    QString shown = printableText(data);
    if (field.symbols) {
        QString marks;
        for (const QChar c : std::as_const(shown)) {
            const int i = QStringLiteral("ABCDE").indexOf(c.toUpper());
            marks += i < 0 ? QString(c) : QStringList{u"\u00ae"_qs, u"\u00a9"_qs, u"\u2122"_qs, u"UL"_qs, u"CSA"_qs}.at(i);
        }
        shown = marks;
    }
    FieldState laid = field;
    if (field.blockHeight > 0)
        laid.blockLines = qMax(1, int(field.blockHeight / qMax<qreal>(1, font.height())));
    if (field.direction == 'R')
        std::reverse(shown.begin(), shown.end());
    const QString plain = shown;
    if (field.direction == 'V' && !field.block && !shown.isEmpty()) {     // one character a line, top down
        QStringList characters;
        qreal widest = 1;
        for (const QChar c : std::as_const(plain)) {
            characters << QString(c);
            widest = qMax(widest, font.advance(QString(c)));
        }
        laid.block = true;
        laid.blockWidth = qCeil(widest);
        laid.blockLines = qMax(1, int(characters.size()));
        laid.blockSpacing = field.directionGap;
        shown = characters.join(QStringLiteral("\\&"));
    }

    // Auto justification follows the text's direction.
    const bool right = field.justify == 1 || (field.justify == 2 && plain.isRightToLeft());
    QPainterPath path;
    QPointF anchor(0, font.baseline());
    QSizeF size(font.advance(shown), font.height());
    QTransform t;
    if (laid.block) {
        LayOutBlock(laid, font, shown, path, &anchor, &size);
    } else if (field.directionGap > 0) {     // ^FP's extra gap, character by character
        qreal x = 0;
        for (const char32_t c : shown.toUcs4()) {
            const QString one = QString::fromUcs4(&c, 1);
            font.addText(path, one, x, 0);
            x += font.advance(one) + field.directionGap;
        }
        size.setWidth(qMax<qreal>(0, x - field.directionGap));
    } else {
        // One line: its glyphs go straight to their place on the label.
        t = placement(rotation, field.origin, field.at, size, anchor, right);
        font.addText(path, shown, 0, 0, t);
    }
    const bool placed = !laid.block && field.directionGap <= 0;
    if (!placed)
        t = placement(rotation, field.origin, field.at, size, anchor, right);
    DrawOp op;
    op.kind = DrawOp::Path;
    op.path = placed ? std::move(path) : t.map(path);
    op.rect = t.mapRect(QRectF(QPointF(0, 0), size)).toAlignedRect();
    op.text = plain;
    add(field, std::move(op));
    return t.map(QPointF(size.width(), anchor.y())).toPoint();
}

void FieldRenderer::barcode(const FieldState &field)
{
    if (field.barcodeType == 0)
        return;
    BarcodeRequest request;
    request.type = field.barcodeType;
    request.params = field.params;
    request.by = m_state.by;
    request.dpmm = m_dpmm;
    request.data = field.data;
    const BarcodeResult result = EncodeBarcodeField(request);
    for (const QString &text : result.notes)
        note(field, text);
    if (!result.ok)
        return;
    // QR codes are always upright; the others follow their own o, else ^FW.
    const Rotation rotation = field.barcodeType == 'Q' ? Rotation::N
                              : field.barcodeRotated  ? field.barcodeRotation
                                                      : m_state.rotation;
    DrawOp op;
    op.kind = DrawOp::Rects;
    op.text = result.text;
    QSizeF size;
    QPointF anchor;
    QPainterPath line;
    QRectF symbolArea;      // the bars or modules, without the text or the QR drop
    if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol)) {
        const int mw = qMax(1, result.moduleWidth), mh = qMax(1, result.moduleHeight);
        const int top = result.topOffset;
        for (int row = 0; row < matrix->rows; ++row) {
            for (int column = 0; column < matrix->columns;) {
                if (!matrix->at(column, row)) {
                    ++column;
                    continue;
                }
                int end = column;
                while (end < matrix->columns && matrix->at(end, row))
                    ++end;
                op.rects.emplace_back(column * mw, top + row * mh, (end - column) * mw, mh);
                column = end;
            }
        }
        size = QSizeF(matrix->columns * mw, top + matrix->rows * mh);
        anchor = QPointF(0, size.height());
        symbolArea = QRectF(0, top, matrix->columns * mw, matrix->rows * mh);
    } else if (const auto *dots = std::get_if<DotSymbol>(&result.symbol)) {
        for (const DotRun &run : dots->runs)
            op.rects.emplace_back(run.x, run.y, run.width, run.height);
        size = QSizeF(dots->width, dots->height);
        anchor = QPointF(0, size.height());
        symbolArea = QRectF(QPointF(0, 0), size);
    } else {
        // The bars' box is the field's box, placed and turned at the origin;
        // the interpretation line lies outside it, below or above.
        const auto &linear = std::get<LinearSymbol>(result.symbol);
        const int mw = m_state.by.moduleWidth;
        const Font font = linear.places.empty() ? Font('D', mw >= 4 ? 36 : 18, 0, m_dpmm) : RetailFont(mw, 7 * mw, m_dpmm);
        const bool text = result.textLine != TextLine::None && !result.text.isEmpty();
        int barsHeight = result.barHeight;     // with EAN and UPC's longer guard bars
        for (const Bar &bar : linear.bars) {
            if (bar.shortHeight > 0) {
                op.rects.emplace_back(bar.x, result.barHeight - bar.shortHeight, bar.width, bar.shortHeight);
            } else {
                const int guard = bar.guard && text ? font.height() / 2 : 0;
                op.rects.emplace_back(bar.x, 0, bar.width, result.barHeight + guard);
                barsHeight = qMax(barsHeight, op.rects.back().height());
            }
        }
        if (text && field.barcodeType == 'C') {
            // Printers grow Code 128's line with the module, which the guide
            // does not say: font A's cell (9 dots, 7 of them capitals, a 6-dot
            // advance at 8 dots per mm) magnified by the module width, about
            // 7 dots of capitals a dot of ^BY width; 2 modules from the bars.
            const Font a('A', qMax(1, qRound(9 * m_dpmm / 8.0)) * mw, 0, m_dpmm);
            QPainterPath capital;
            a.addText(capital, QStringLiteral("H"), 0, 0);
            const QRectF cap = capital.boundingRect();
            const qreal gap = 2 * mw;
            const qreal capTop = result.textLine == TextLine::Above ? -gap - a.height() : result.barHeight + gap;
            a.addText(line, result.text, (linear.width - a.advance(result.text)) / 2, 0);
            // Capitals from the cell's top, 7/9 of it tall, whatever the face's proportions.
            const qreal stretch = a.height() * 7 / 9.0 / qMax<qreal>(1, cap.height());
            line = QTransform(1, 0, 0, stretch, 0, capTop - cap.top() * stretch).map(line);
        } else if (text) {
            const qreal top = result.textLine == TextLine::Above ? -2 - font.height() : result.barHeight + 2;
            if (linear.places.size() == std::size_t(result.text.size())) {
                // EAN and UPC: each digit's cell centred in its place.
                for (int i = 0; i < result.text.size(); ++i) {
                    const TextPlace &place = linear.places[std::size_t(i)];
                    font.addText(line, result.text.mid(i, 1), place.x + (place.width - font.width()) / 2, top);
                }
            } else {
                font.addText(line, result.text, (linear.width - font.advance(result.text)) / 2, top);
            }
        }
        size = QSizeF(linear.width, barsHeight);
        symbolArea = QRectF(0, 0, linear.width, result.barHeight);
        anchor = QPointF(0, result.barHeight);
    }
    const QTransform t = placement(rotation, field.origin, field.at, size, anchor, field.justify == 1);
    for (QRect &r : op.rects)
        r = t.mapRect(QRectF(r)).toRect();
    op.rect = t.mapRect(symbolArea).toRect();
    add(field, std::move(op));
    if (!line.isEmpty()) {
        DrawOp text;
        text.kind = DrawOp::Path;
        text.path = t.map(line);
        text.rect = text.path.boundingRect().toAlignedRect();
        text.text = result.text;
        add(field, std::move(text));
    }
}

void FieldRenderer::shape(const FieldState &field)
{
    using C = FieldState::Content;
    DrawOp op;
    QSize size;
    const char color = field.params.value(field.content == C::Circle ? 2 : 3).trimmed().toUpper().left(1).append('B').at(0);
    op.white = color == 'W';
    switch (field.content) {
    case C::Box: {
        const int t = number(field, 2, 1, 1, MaxShape);
        size = QSize(qMax(t, number(field, 0, t, 1, MaxShape)), qMax(t, number(field, 1, t, 1, MaxShape)));
        op.kind = DrawOp::Box;
        op.thickness = t;
        op.rounding = number(field, 4, 0, 0, 8);
        break;
    }
    case C::Circle: {
        const int d = number(field, 0, 3, 3, 4095);
        op.kind = DrawOp::Ellipse;
        op.thickness = number(field, 1, 1, 1, 4095);
        size = QSize(d, d);
        break;
    }
    case C::Ellipse: {
        const int t = number(field, 2, 1, 1, 4095);
        size = QSize(number(field, 0, qMax(3, t), 3, 4095), number(field, 1, qMax(3, t), 3, 4095));
        op.kind = DrawOp::Ellipse;
        op.thickness = t;
        break;
    }
    default: {
        // A printer's line is t dots wide across: its left edge runs from
        // corner to corner of the w x h box, and its ink spans w + t.
        const int t = number(field, 2, 1, 1, MaxShape);
        size = QSize(number(field, 0, qMax(3, t), 3, MaxShape) + t, number(field, 1, qMax(3, t), 3, MaxShape));
        op.kind = DrawOp::Diagonal;
        op.thickness = t;
        const QByteArray lean = field.params.value(4).trimmed().toUpper();
        op.rising = !(lean == "L" || lean == "\\");
        break;
    }
    }
    op.rect = QRect(topLeftOf(field, size), size);
    add(field, std::move(op));
}

void FieldRenderer::image(const FieldState &field)
{
    if (field.graphic.isNull())
        return;
    DrawOp op;
    op.kind = DrawOp::Bitmap;
    op.rect = QRect(topLeftOf(field, field.graphic.size()), field.graphic.size());
    op.image = field.graphic;
    add(field, std::move(op));
}

} // namespace zpl
