#include "GlyphCache.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zpl {

namespace {

// Boxes closer than this count as overlapping: their contours are filled
// together, whatever the rasterizer makes of dots on a shared edge.
constexpr double Touching = 0.125;
// An island larger than this (a huge character) is not worth keeping.
constexpr double MaxIslandDots = 1024;

struct Contour
{
    int first = 0, end = 0;     // its elements
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    int group = 0;              // union-find parent
};

int root(std::vector<Contour> &contours, int i)
{
    while (contours[i].group != i)
        i = contours[i].group = contours[contours[i].group].group;
    return i;
}

// The contours of `path` with their boxes (control points included: the
// curves lie inside them), and its elements; false for a coordinate no label
// has.
bool contoursOf(const QPainterPath &path, std::vector<Contour> &contours, std::vector<QPainterPath::Element> &elements)
{
    const int count = path.elementCount();
    elements.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        elements.push_back(e);
        if (!std::isfinite(e.x) || !std::isfinite(e.y) || std::abs(e.x) > 1e6 || std::abs(e.y) > 1e6)
            return false;
        if (e.type == QPainterPath::MoveToElement || contours.empty()) {
            Contour c;
            c.first = i;
            c.minX = c.maxX = e.x;
            c.minY = c.maxY = e.y;
            c.group = int(contours.size());
            contours.push_back(c);
        }
        Contour &c = contours.back();
        c.end = i + 1;
        c.minX = std::min(c.minX, e.x);
        c.maxX = std::max(c.maxX, e.x);
        c.minY = std::min(c.minY, e.y);
        c.maxY = std::max(c.maxY, e.y);
    }
    return true;
}

// Joins contours whose boxes overlap, sweeping from left to right.
void group(std::vector<Contour> &contours)
{
    std::vector<int> order(contours.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return contours[a].minX < contours[b].minX; });
    std::vector<int> active;
    for (const int i : order) {
        const Contour &c = contours[i];
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](int j) { return contours[j].maxX + Touching < c.minX; }),
                     active.end());
        for (const int j : active) {
            const Contour &d = contours[j];
            if (d.minY <= c.maxY + Touching && c.minY <= d.maxY + Touching)
                contours[root(contours, j)].group = root(contours, i);
        }
        active.push_back(i);
    }
}

// The dots of row y of `image` darker than half, as runs.
void scanRow(const QImage &image, int y, int width, std::vector<GlyphCache::Run> &runs)
{
    const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    int x = 0;
    while (x < width) {
        while (x < width && (in[x] & 0x8000u))
            ++x;
        if (x == width)
            break;
        const int start = x;
        while (x < width && !(in[x] & 0x8000u))
            ++x;
        runs.push_back({y, start, x});
    }
}

} // namespace

GlyphCache &GlyphCache::shared()
{
    static GlyphCache cache;
    return cache;
}

void GlyphCache::clear()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_entries.clear();
    m_bytes = 0;
}

bool GlyphCache::islands(const QPainterPath &path, std::vector<Island> &out, QImage &scratch)
{
    std::vector<Contour> contours;
    std::vector<QPainterPath::Element> elements;
    if (!contoursOf(path, contours, elements))
        return false;
    group(contours);

    // Each island's contours in the path's order, keyed at its origin.
    std::vector<int> islandOf(contours.size(), -1);
    std::vector<std::vector<int>> members;
    for (std::size_t i = 0; i < contours.size(); ++i) {
        const int r = root(contours, int(i));
        if (islandOf[r] < 0) {
            islandOf[r] = int(members.size());
            members.emplace_back();
        }
        members[islandOf[r]].push_back(int(i));
    }
    out.clear();
    out.reserve(members.size());
    std::vector<Key> keys(members.size());
    std::vector<QSize> sizes(members.size());
    for (std::size_t m = 0; m < members.size(); ++m) {
        double minX = contours[members[m].front()].minX, minY = contours[members[m].front()].minY;
        double maxX = minX, maxY = minY;
        for (const int i : members[m]) {
            minX = std::min(minX, contours[i].minX);
            minY = std::min(minY, contours[i].minY);
            maxX = std::max(maxX, contours[i].maxX);
            maxY = std::max(maxY, contours[i].maxY);
        }
        if (maxX - minX > MaxIslandDots || maxY - minY > MaxIslandDots)
            return false;
        const double originX = std::floor(minX), originY = std::floor(minY);
        Key &key = keys[m];
        std::size_t count = 0;
        for (const int i : members[m])
            count += std::size_t(contours[i].end - contours[i].first);
        key.outline.reserve(3 * count + 1);
        for (const int i : members[m]) {
            for (int e = contours[i].first; e < contours[i].end; ++e) {
                const QPainterPath::Element &element = elements[std::size_t(e)];
                // Exact: a whole number off a coordinate at or right of it.
                key.outline.insert(key.outline.end(), {double(element.type), element.x - originX, element.y - originY});
            }
        }
        key.outline.push_back(double(path.fillRule()));
        key.hash = qHashBits(key.outline.data(), key.outline.size() * sizeof(double));
        sizes[m] = QSize(int(maxX - originX) + 2, int(maxY - originY) + 2);
        out.push_back({QPoint(int(originX), int(originY)), nullptr});
    }

    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (std::size_t m = 0; m < keys.size(); ++m) {
            const auto found = m_entries.constFind(keys[m]);
            if (found != m_entries.cend())
                out[m].runs = *found;
        }
    }
    for (std::size_t m = 0; m < keys.size(); ++m) {
        if (out[m].runs)
            continue;
        out[m].runs = paint(keys[m], sizes[m], scratch);
        const qsizetype bytes = qsizetype(out[m].runs->size() * sizeof(Run) + keys[m].outline.size() * sizeof(double));
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_bytes + bytes > MaxBytes) {
            m_entries.clear();  // entries in use live on in their islands
            m_bytes = 0;
        }
        if (!m_entries.contains(keys[m])) {
            m_entries.insert(keys[m], out[m].runs);
            m_bytes += bytes;
        }
    }
    return true;
}

std::shared_ptr<const std::vector<GlyphCache::Run>> GlyphCache::paint(const Key &key, QSize size, QImage &scratch)
{
    QPainterPath path;
    path.setFillRule(Qt::FillRule(int(key.outline.back())));
    const std::size_t elements = (key.outline.size() - 1) / 3;
    for (std::size_t i = 0; i < elements; ++i) {
        const double *e = key.outline.data() + 3 * i;
        switch (QPainterPath::ElementType(int(e[0]))) {
        case QPainterPath::MoveToElement: path.moveTo(e[1], e[2]); break;
        case QPainterPath::LineToElement: path.lineTo(e[1], e[2]); break;
        case QPainterPath::CurveToElement:
            if (i + 2 < elements) {
                path.cubicTo(e[1], e[2], e[4], e[5], e[7], e[8]);
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement: break;
        }
    }
    if (scratch.width() < size.width() || scratch.height() < size.height())
        scratch = QImage(size.expandedTo(scratch.size()), QImage::Format_RGB32);
    auto runs = std::make_shared<std::vector<Run>>();
    if (scratch.isNull())
        return runs;
    for (int y = 0; y < size.height(); ++y)
        std::memset(scratch.scanLine(y), 0xff, std::size_t(4) * std::size_t(size.width()));
    {
        QPainter painter(&scratch);
        painter.fillPath(path, Qt::black);
    }
    for (int y = 0; y < size.height(); ++y)
        scanRow(scratch, y, size.width(), *runs);
    return runs;
}

} // namespace zpl
