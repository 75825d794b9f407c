#pragma once

// The dots a filled text outline covers, worked out once and kept: a label's
// text is drawn from the same few glyphs at the same few sizes, label after
// label, and filling their curves is most of the painting.
//
// A path is split into islands: groups of its closed contours whose boxes
// overlap (a glyph with its counters, or glyphs that touch). A contour adds
// nothing to the winding outside its box, so the islands fill apart exactly
// the dots the whole path fills. An island is moved by whole dots to the
// corner of its box (which moves every dot by as many, and changes no dot)
// and kept by its exact outline there: another face, size, rotation or
// position between dots is another outline, so another entry.
//
// Thread-safe: both painting threads share one cache. It is bounded; when full
// it starts again empty.

#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QPoint>

#include <memory>
#include <mutex>
#include <vector>

namespace zpl {

class GlyphCache
{
public:
    // Dots [x0, x1) of row y, relative to an island's origin.
    struct Run
    {
        int y, x0, x1;
    };
    struct Island
    {
        QPoint origin;                                  // label dots
        std::shared_ptr<const std::vector<Run>> runs;   // in rows from top to bottom
    };

    // The one the renderer paints with.
    static GlyphCache &shared();

    // The islands of `path` filled with its own fill rule, without smoothing,
    // as QPainter fills it on a raster image; misses are painted on `scratch`,
    // which the caller keeps for the next call on its thread (it grows as
    // needed). False for a path it does not keep (a coordinate beyond any
    // label, a character larger than 1024 dots): fill that one as it is.
    bool islands(const QPainterPath &path, std::vector<Island> &out, QImage &scratch);

    void clear();
    // Bytes kept (runs and outlines) before the cache starts again empty.
    static constexpr qsizetype MaxBytes = 32 * 1024 * 1024;

private:
    struct Key
    {
        std::vector<double> outline;    // element type, x - origin, y - origin; then the fill rule
        size_t hash = 0;
        bool operator==(const Key &other) const { return hash == other.hash && outline == other.outline; }
    };
    friend size_t qHash(const Key &key, size_t seed) { return key.hash ^ seed; }

    static std::shared_ptr<const std::vector<Run>> paint(const Key &key, QSize size, QImage &scratch);

    mutable std::mutex m_lock;
    QHash<Key, std::shared_ptr<const std::vector<Run>>> m_entries;
    qsizetype m_bytes = 0;
};

} // namespace zpl
