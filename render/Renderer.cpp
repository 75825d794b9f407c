#include "Renderer.h"

#include "GlyphCache.h"
#include "Png.h"

#include <QFile>

#include <QPainter>
#include <QRunnable>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

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

// A line of horizontal thickness t across its box (the ink), one run of t
// dots per row, from one side to the other, touching all four exactly.
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

// `clip`: the part of the label that the painter's device holds, in dots;
// `path`: what a Path op fills (the op's own, or a copy of it).
void draw(QPainter &painter, const DrawOp &op, const QPainterPath &path, const QColor &ink, const QRect &clip)
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
    case DrawOp::Diagonal: fillDiagonal(painter, op, ink, clip); break;
    case DrawOp::Rects:
        for (const QRect &r : op.rects)
            painter.fillRect(r, ink);
        break;
    case DrawOp::Path: painter.fillPath(path, ink); break;
    case DrawOp::Bitmap: painter.drawImage(op.rect.topLeft(), op.image); break;
    }
}

// Black where the band is darker than half (its green below 128), inside
// `area` (band coordinates), into `out`: the band's rows of the 1-bit image.
void threshold(const QImage &band, const QRect &area, uchar *out, qsizetype outStride)
{
    const int width = band.width();
    const int firstByte = area.left() / 8, lastByte = area.right() / 8;
    const int wholeBytes = qMin(lastByte + 1, width / 8);   // bytes of eight dots inside the band
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(band.constScanLine(y));
        uchar *row = out + outStride * y;
        // Eight dots a byte: a dark dot's green has its top bit clear. Eight
        // white dots, the most of a label, are seen in four 64-bit words.
        for (int b = firstByte; b < wholeBytes; ++b) {
            const QRgb *p = in + b * 8;
            quint64 words[4];
            std::memcpy(words, p, sizeof words);
            constexpr quint64 Green = 0x0000800000008000ull;
            if ((words[0] & words[1] & words[2] & words[3] & Green) == Green)
                continue;
            uint bits = 0;
            for (int i = 0; i < 8; ++i)
                bits |= ((p[i] & 0x8000u) ^ 0x8000u) >> (8 + i);
            row[b] = uchar(bits);
        }
        for (int x = qMax(firstByte, wholeBytes) * 8; x <= area.right(); ++x)
            if ((in[x] & 0x8000u) == 0)
                row[x / 8] |= uchar(0x80u >> (x % 8));
    }
}

// Reverse: whatever the field covers changes colour. The field is drawn
// alone on a scratch image of `area` (label coordinates), then applied to
// the band, whose row 0 is the label's row `top`.
void drawReverse(QImage &band, int top, const DrawOp &op, const QPainterPath &path, const QRect &area)
{
    QImage scratch(area.size(), QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QPainter mask(&scratch);
        mask.translate(-area.topLeft());
        draw(mask, op, path, Qt::black, area);
    }
    for (int y = 0; y < area.height(); ++y) {
        const auto *m = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
        auto *c = reinterpret_cast<QRgb *>(band.scanLine(area.top() - top + y)) + area.left();
        for (int x = 0; x < area.width(); ++x)
            if (qGreen(m[x]) < 128)
                c[x] ^= 0x00ffffff;
    }
}

// Text from the glyph cache: its runs of dots inside `bandRect` (label
// coordinates) set to `ink`, or inverted, in the band whose row 0 is the
// label's row `top`.
void drawIslands(uchar *bits, qsizetype stride, int top, const QRect &bandRect,
                 const std::vector<GlyphCache::Island> &islands, QRgb ink, bool invert)
{
    using Run = GlyphCache::Run;
    for (const GlyphCache::Island &island : islands) {
        const std::vector<Run> &runs = *island.runs;
        const QPoint at = island.origin;
        if (runs.empty() || at.y() + runs.back().y < bandRect.top() || at.y() + runs.front().y > bandRect.bottom())
            continue;
        auto run = std::lower_bound(runs.begin(), runs.end(), bandRect.top() - at.y(),
                                    [](const Run &r, int y) { return r.y < y; });
        for (; run != runs.end() && at.y() + run->y <= bandRect.bottom(); ++run) {
            const int x0 = qMax(bandRect.left(), at.x() + run->x0);
            const int x1 = qMin(bandRect.right() + 1, at.x() + run->x1);
            auto *row = reinterpret_cast<QRgb *>(bits + stride * (at.y() + run->y - top));
            if (x0 >= x1)
                continue;
            if (invert) {
                for (int x = x0; x < x1; ++x)
                    row[x] ^= 0x00ffffffu;
            } else {
                std::fill(row + x0, row + x1, ink);
            }
        }
    }
}

// Paints a label in bands of rows small enough to stay in the processor's
// cache, each then thresholded into the 1-bit image. First the text ops are
// looked up in the glyph cache, then the bands are painted; both are taken
// one by one from shared counts, so that a second thread may help with either
// and nobody waits for a thread that has not started yet.
class BandPainter
{
public:
    BandPainter(const Label &label, QImage &mono)
        : m_label(label), m_size(mono.size()), m_out(mono.bits()), m_stride(mono.bytesPerLine())
    {
        // RGB32: the raster engine's fastest format; only one channel is read back.
        constexpr int BandBytes = 512 * 1024;
        // At least 16 rows a band, but never more than the label has.
        m_rows = qMin(qMax(16, BandBytes / (4 * m_size.width())), qMax(1, m_size.height()));
        // ^PW: only its columns are printed.
        if (label.printWidth > 0 && label.printWidth < m_size.width())
            m_printed = QRect(label.printLeft, 0, label.printWidth, m_size.height()) & m_printed;
        m_bounds.reserve(label.ops.size());
        m_islands.resize(label.ops.size());
        m_cached.resize(label.ops.size());
        for (std::size_t i = 0; i < label.ops.size(); ++i) {
            const DrawOp &op = label.ops[i];
            m_bounds.push_back(Bounds(op).adjusted(-1, -1, 1, 1) & m_printed);
            if (op.kind == DrawOp::Path && !m_bounds.back().isEmpty())
                m_text.push_back(i);
        }
    }

    int count() const { return (m_size.height() + m_rows - 1) / m_rows; }

    // Does what is left to do. `shared`: another thread may be at it too.
    void work(bool shared)
    {
        QImage scratch;
        for (std::size_t k; (k = m_nextText++) < m_text.size(); ++m_resolved) {
            const std::size_t i = m_text[k];
            m_cached[i] = GlyphCache::shared().islands(m_label.ops[i].path, m_islands[i], scratch);
        }
        while (m_resolved.load() < m_text.size())
            std::this_thread::yield();      // the other thread's last op
        // A path keeps what the paint engine derives from it, on first use
        // and without a lock, inside itself: a thread that may meet another
        // fills copies of the paths it draws itself.
        std::vector<QPainterPath> copies(shared ? m_label.ops.size() : 0);
        QImage band(m_size.width(), m_rows, QImage::Format_RGB32);
        if (band.isNull())
            return;
        for (int index; (index = m_nextBand++) < count();)
            paint(band, index, shared, copies);
    }

private:
    void paint(QImage &band, int index, bool ownPaths, std::vector<QPainterPath> &copies) const
    {
        const int top = index * m_rows;
        const QRect bandRect(0, top, m_size.width(), qMin(m_rows, m_size.height() - top));
        QRect dirty;
        for (const QRect &bounds : m_bounds)
            dirty |= bounds & bandRect;
        if (dirty.isEmpty())
            return;
        // White where anything is drawn, in whole bytes of the 1-bit
        // image, which the threshold reads; the rest is never read.
        const int left = dirty.left() / 8 * 8;
        const int right = qMin(m_size.width() - 1, dirty.right() / 8 * 8 + 7);
        const QRect local(left, dirty.top() - top, right - left + 1, dirty.height());
        uchar *const bits = band.bits();
        const qsizetype stride = band.bytesPerLine();
        for (int y = local.top(); y <= local.bottom(); ++y)
            std::memset(bits + stride * y + 4 * local.left(), 0xff, size_t(4) * size_t(local.width()));
        QPainter painter;
        for (std::size_t i = 0; i < m_label.ops.size(); ++i) {
            const QRect area = m_bounds[i] & bandRect;
            if (area.isEmpty())
                continue;
            const DrawOp &op = m_label.ops[i];
            if (m_cached[i]) {
                drawIslands(bits, stride, top, bandRect & m_printed, m_islands[i],
                            op.white ? 0xffffffffu : 0xff000000u, op.reverse);
                continue;
            }
            const QPainterPath &path = ownPaths && op.kind == DrawOp::Path ? copyOf(op.path, copies[i]) : op.path;
            if (op.reverse) {
                if (painter.isActive())
                    painter.end();
                drawReverse(band, top, op, path, area);
                continue;
            }
            if (!painter.isActive()) {
                painter.begin(&band);
                painter.translate(0, -top);
                if (m_printed.size() != m_size)
                    painter.setClipRect(m_printed);
            }
            draw(painter, op, path, op.white ? Qt::white : Qt::black, bandRect);
        }
        if (painter.isActive())
            painter.end();
        threshold(band, local, m_out + m_stride * top, m_stride);
    }

    static const QPainterPath &copyOf(const QPainterPath &path, QPainterPath &copy)
    {
        if (copy.isEmpty() && !path.isEmpty()) {
            copy.setFillRule(path.fillRule());
            copy.addPath(path);     // its own elements, not shared with `path`
        }
        return copy;
    }

    const Label &m_label;
    const QSize m_size;
    uchar *const m_out;
    const qsizetype m_stride;
    int m_rows = 1;
    QRect m_printed{QPoint(0, 0), m_size};
    std::vector<QRect> m_bounds;
    std::vector<std::size_t> m_text;        // the Path ops
    std::vector<std::vector<GlyphCache::Island>> m_islands;
    std::vector<char> m_cached;             // m_islands[i] stands for op i
    std::atomic<std::size_t> m_nextText{0}, m_resolved{0};
    std::atomic<int> m_nextBand{0};
};

// The second painting thread: one kept for good, so that a label does not
// wait for a thread to be made.
class Helper : public QRunnable
{
public:
    explicit Helper(BandPainter &bands) : m_bands(bands) { setAutoDelete(false); }
    void run() override
    {
        m_bands.work(true);
        m_done.release();
    }
    // Takes it back if it has not started, else waits for it to end.
    void finish(QThreadPool &pool)
    {
        if (!pool.tryTake(this))
            m_done.acquire();
    }

private:
    BandPainter &m_bands;
    QSemaphore m_done;
};

QThreadPool &helperPool()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return pool;
}

} // namespace

QRect Bounds(const DrawOp &op)
{
    if (op.kind == DrawOp::Path)
        return op.path.controlPointRect().toAlignedRect();
    QRect bounds = op.rect;
    for (const QRect &r : op.rects)
        bounds |= r;
    return bounds;
}

void Shift(DrawOp &op, int dx)
{
    op.rect.translate(dx, 0);
    for (QRect &r : op.rects)
        r.translate(dx, 0);
    if (!op.path.isEmpty())
        op.path.translate(dx, 0);
}

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
    QImage mono(size, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    if (mono.isNull())
        return mono;    // no memory for it
    mono.fill(0);
    BandPainter bands(label, mono);
    // A label of many fields is painted on two threads; a small one is not
    // worth a thread.
    constexpr std::size_t OpsForTwoThreads = 32;
    if (bands.count() > 1 && label.ops.size() >= OpsForTwoThreads) {
        Helper helper(bands);
        helperPool().start(&helper);
        bands.work(true);
        helper.finish(helperPool());
    } else {
        bands.work(false);
    }
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
