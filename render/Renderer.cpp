#include "Renderer.h"

#include "Png.h"

#include <QFile>

#include <QPainter>

namespace zpl {

namespace {

// A box of thickness t: an outline, or solid when t reaches half the shorter side.
QPainterPath boxPath(const DrawOp &op)
{
    const QRectF r(op.rect);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const qreal shorter = qMin(r.width(), r.height());
    const qreal radius = op.rounding / 8.0 * shorter / 2;
    path.addRoundedRect(r, radius, radius);
    if (2 * op.thickness < shorter) {
        const QRectF inner = r.adjusted(op.thickness, op.thickness, -op.thickness, -op.thickness);
        const qreal innerRadius = qMax<qreal>(0, radius - op.thickness);
        path.addRoundedRect(inner, innerRadius, innerRadius);
    }
    return path;
}

QPainterPath ellipsePath(const DrawOp &op)
{
    const QRectF r(op.rect);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(r);
    if (2 * op.thickness < qMin(r.width(), r.height()))
        path.addEllipse(r.adjusted(op.thickness, op.thickness, -op.thickness, -op.thickness));
    return path;
}

// A line of horizontal thickness t from one corner of the box to the other,
// one run of t dots per row, so that it touches all four sides exactly.
void fillDiagonal(QPainter &painter, const DrawOp &op, const QColor &ink, const QRect &clip)
{
    const QRect r = op.rect;
    const int t = qMin(op.thickness, r.width());
    const int rows = r.height();
    const int top = qMax(r.top(), clip.top()), bottom = qMin(r.bottom(), clip.bottom());
    for (int y = top; y <= bottom; ++y) {
        const int fromTop = y - r.top();
        const int step = rows > 1 ? int((qint64(r.width() - t) * fromTop + (rows - 1) / 2) / (rows - 1)) : 0;
        const int left = op.rising ? r.right() - t + 1 - step : r.left() + step;
        painter.fillRect(QRect(left, y, t, 1), ink);
    }
}

void draw(QPainter &painter, const DrawOp &op, const QColor &ink)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    switch (op.kind) {
    case DrawOp::Box:
        if (op.rounding == 0 && 2 * op.thickness >= qMin(op.rect.width(), op.rect.height()))
            painter.fillRect(op.rect, ink);
        else if (op.rounding == 0) {
            const QRect r = op.rect;
            const int t = op.thickness;
            painter.fillRect(QRect(r.left(), r.top(), r.width(), t), ink);
            painter.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), ink);
            painter.fillRect(QRect(r.left(), r.top() + t, t, r.height() - 2 * t), ink);
            painter.fillRect(QRect(r.right() - t + 1, r.top() + t, t, r.height() - 2 * t), ink);
        } else
            painter.fillPath(boxPath(op), ink);
        break;
    case DrawOp::Ellipse: painter.fillPath(ellipsePath(op), ink); break;
    case DrawOp::Diagonal: 
        fillDiagonal(painter, op, ink, QRect(0, 0, painter.device()->width(), painter.device()->height()));
        break;
    case DrawOp::Rects:
        for (const QRect &r : op.rects)
            painter.fillRect(r, ink);
        break;
    case DrawOp::Path: painter.fillPath(op.path, ink); break;
    case DrawOp::Bitmap: painter.drawImage(op.rect.topLeft(), op.image); break;
    }
}

// Black where the canvas is darker than half (its green below 128), inside
// `dirty`; white elsewhere.
QImage threshold(const QImage &gray, const QRect &dirty)
{
    QImage mono(gray.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    const QRect area = dirty & gray.rect();
    // Whole bytes of eight dots; a run of white dots (the most of a label) is skipped at once.
    const int firstByte = area.left() / 8, lastByte = area.right() / 8;
    const int width = gray.width();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(gray.constScanLine(y));
        uchar *out = mono.scanLine(y);
        for (int b = firstByte; b <= lastByte; ++b) {
            const int x0 = b * 8;
            if (x0 + 8 <= width && (in[x0] & in[x0 + 1] & in[x0 + 2] & in[x0 + 3] & in[x0 + 4] & in[x0 + 5]
                                    & in[x0 + 6] & in[x0 + 7] & 0x8000) != 0)
                continue;
            uchar bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = uchar(bits << 1) | (x0 + i < width ? uchar(((in[x0 + i] >> 15) & 1) ^ 1) : uchar(0));
            out[b] = bits;
        }
    }
    return mono;
}

} // namespace

std::vector<Label> RenderJob(const QByteArray &job, Media media)
{
    Printer printer(media);
    std::vector<Label> labels = printer.feed(job);
    for (Label &label : printer.finish())
        labels.push_back(std::move(label));
    return labels;
}

QImage Paint(const Label &label)
{
    const QSize size(qBound(1, label.width, MaxMediaDots), qBound(1, label.length, MaxMediaDots));
    // RGB32: the raster engine's fastest format; only one channel is read back.
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QRect dirty;
    {
        QPainter painter(&canvas);
        for (const DrawOp &op : label.ops) {
            const QRect bounds = (op.kind == DrawOp::Path ? op.path.boundingRect().toAlignedRect()
                                  : op.rect).adjusted(-1, -1, 1, 1) & canvas.rect();
            if (bounds.isEmpty())
                continue;
            dirty |= bounds;
            if (!op.reverse) {
                draw(painter, op, op.white ? Qt::white : Qt::black);
                continue;
            }
            // Reverse: whatever the field covers changes colour. The field is
            // drawn alone on a scratch image of its own size, then applied.
            QImage scratch(bounds.size(), QImage::Format_RGB32);
            scratch.fill(Qt::white);
            {
                QPainter mask(&scratch);
                mask.translate(-bounds.topLeft());
                draw(mask, op, Qt::black);
            }
            painter.end();
            for (int y = 0; y < bounds.height(); ++y) {
                const auto *m = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
                auto *c = reinterpret_cast<QRgb *>(canvas.scanLine(bounds.top() + y)) + bounds.left();
                for (int x = 0; x < bounds.width(); ++x)
                    if (qGreen(m[x]) < 128)
                        c[x] ^= 0x00ffffff;
            }
            painter.begin(&canvas);
        }
    }
    QImage mono = threshold(canvas, dirty);
    if (label.invert)
        mono = mono.transformed(QTransform::fromScale(-1, -1));
    return mono;
}

bool SavePng(const Label &label, const QString &path, QString *error)
{
    // A plain write: a label image is cheap to make again, not worth a sync to disk.
    const QByteArray png = EncodePng(Paint(label));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(png) == png.size() && file.flush())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace zpl
