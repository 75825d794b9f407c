// The renderer's speed: median times over many runs of zpltest's own label and
// of a 4 x 8 in shipping label (about 60 fields: font 0 at several sizes and
// rotations, bitmap fonts, boxes, two Code 128, a QR code, a ^GF logo, a ^FB
// block), each as render only (bytes to Label), paint, and paint + PNG; paint
// both with the glyph cache holding the label's glyphs (warm: a label painted
// again, or one that shares its text) and emptied before each run (cold).
// Goals: zpltest's label <= 1 ms; the shipping label <= 5 ms with its PNG.
// Then the peak memory after 10 000 jobs through one printer.
//
// `render --passes N [--cold]` instead renders, paints and encodes the
// shipping label N times and prints nothing, for instruction counts:
//   valgrind --tool=callgrind ./render --passes 2  minus  ... --passes 1
// is one warm pass on all threads, and with --cold one cold pass.

#include "GlyphCache.h"
#include "PeakMemory.h"
#include "Renderer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 201;

double medianMs(const std::function<void()> &work, const std::function<void()> &before = {})
{
    work();     // fonts and glyph caches warm, as in a running sink
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        if (before)
            before();
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
    return times[Runs / 2];
}

void measure(const char *name, const QByteArray &job, const zpl::Media &media, double goalMs)
{
    const zpl::Label label = zpl::RenderJob(job, media).front();
    const auto cold = [] { zpl::GlyphCache::shared().clear(); };
    const double render = medianMs([&] { zpl::RenderJob(job, media); });
    const double paint = medianMs([&] { zpl::Paint(label); });
    const double paintCold = medianMs([&] { zpl::Paint(label); }, cold);
    qint64 pngBytes = 0;
    const auto all = [&] { pngBytes = zpl::EncodePng(zpl::Paint(zpl::RenderJob(job, media).front())).size(); };
    const double allWarm = medianMs(all);
    const double allCold = medianMs(all, cold);
    std::printf("%-16s render %.3f ms, paint %.3f ms (cold %.3f), render + paint + PNG %.3f ms (cold %.3f; %lld "
                "bytes)  goal <= %.0f ms: %s\n",
                name, render, paint, paintCold, allWarm, allCold, pngBytes, goalMs, allWarm <= goalMs ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray own = "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ";
    QFile file(QStringLiteral(SHIPPING_LABEL));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "render: cannot read %s\n", SHIPPING_LABEL);
        return 1;
    }
    const QByteArray shipping = file.readAll();
    zpl::Media fourBySix, fourByEight;
    fourByEight.lengthMm = 203.2;

    if (argc > 2 && !std::strcmp(argv[1], "--passes")) {
        const bool cold = argc > 3 && !std::strcmp(argv[3], "--cold");
        for (int i = std::atoi(argv[2]); i > 0; --i) {
            if (cold)
                zpl::GlyphCache::shared().clear();
            zpl::EncodePng(zpl::Paint(zpl::RenderJob(shipping, fourByEight).front()));
        }
        return 0;
    }

    std::printf("Median of %d runs each:\n", Runs);
    measure("zpltest label", own, fourBySix, 1);
    measure("shipping 4x8 in", shipping, fourByEight, 5);

    const long before = PeakKb();
    zpl::Printer printer(fourBySix);
    for (int i = 0; i < 10000; ++i)
        for (const zpl::Label &label : printer.feed(own))
            zpl::Paint(label);
    std::printf("10 000 jobs through one printer, each painted: peak memory %ld kB before, %ld kB after\n", before,
                PeakKb());
    return 0;
}
