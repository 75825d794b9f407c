// The whole renderer's fuzz target: any bytes, fed in two pieces to one
// printer (so that commands split across reads are covered), every label
// painted. Nothing may crash, hang, leak or grow without bound.

#include "Renderer.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

// Fontconfig, which Qt's font database starts, rescans its configuration now
// and then and keeps what it allocates for good: not a leak of ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_render", *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);     // fonts need it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Small media keeps each run fast; the bounds are the same at any size.
    zpl::Media media;
    media.widthMm = 50;
    media.lengthMm = 30;
    zpl::Printer printer(media);
    const auto paint = [](const std::vector<zpl::Label> &labels) {
        for (const zpl::Label &label : labels)
            if (const QImage image = zpl::Paint(label); image.width() > zpl::MaxMediaDots || image.height() > zpl::MaxMediaDots)
                std::abort();
    };
    paint(printer.feed(bytes.left(bytes.size() / 2)));
    paint(printer.feed(bytes.mid(bytes.size() / 2)));
    paint(printer.finish());
    return 0;
}
