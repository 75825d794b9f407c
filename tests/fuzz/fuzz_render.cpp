// The whole renderer's fuzz target: any bytes, fed in two pieces to one
// printer (so that commands split across reads are covered), every label
// painted. Nothing may crash, hang, leak or grow without bound.

#include "FuzzApplication.h"
#include "Renderer.h"

#include <cstdint>
#include <cstdlib>

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
