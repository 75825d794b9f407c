#include "FontAdvances.h"

#include <array>

namespace zpl {

namespace {

// Where the figures come from: the public reference renderings of font 0 in
// github.com/u8array/ZPLab, tests/fixtures/labelary_text_default_images/ (one
// PNG per character and height, each three copies of the character printed
// with ^FO200,200^A0N,h,h at 203 dpi). Measured with a throwaway script: ink is
// luminance below 128; the advance is the shift that lays one copy's ink on
// the next. Those renderings put each character a whole number of dots after
// the last, so one height gives a figure to +-0.5 dot (+-0.01 h at h = 50);
// where there are several heights, the figure is the one all of them round to.
struct Group
{
    const char *characters;
    qreal advance;
};

constexpr Group Groups[] = {
    // Capitals, all at h = 50; A, M and W also at 20, 30 and 80.
    {"I", 0.28},
    {"J", 0.44},
    {"L", 0.48},
    {"EFTZ", 0.50},
    {"CSV", 0.54},
    {"ABKPXY", 0.56},     // A: 11, 17, 28, 45 dots at h = 20, 30, 50, 80
    {"OQ", 0.58},
    {"DGR", 0.60},
    {"HNU", 0.62},
    {"M", 0.76},          // 15, 23, 38, 61
    {"W", 0.817},         // 16, 25, 41, 65
    // Lower case, all at h = 50; a, i and p also at 20, 30 and 80.
    {"ijl", 0.26},        // i: 5, 8, 13, 21
    {"ft", 0.28},
    {"r", 0.34},
    {"z", 0.40},
    {"s", 0.42},
    {"ckvxy", 0.44},
    {"a", 0.46},          // 9, 14, 23, 37
    {"eo", 0.48},
    {"bdghnpqu", 0.50},   // p: 10, 15, 25, 40
    {"w", 0.66},
    {"m", 0.76},
    // Digits: all ten at h = 50 (24 dots); 0, 5 and 9 also at 20, 30 and 80
    // (10, 15, 39 dots), which round alike from 0.483 to 0.490 h.
    {"0123456789", 0.487},
    // Punctuation at h = 50; the full stop also at 20, 30 and 80 (6, 9, 24).
    {".,:", 0.30},
};

// The registered mark at h = 50: 23 x 23 dots of ink from the cap line, 2
// dots after its start, 25 dots of advance.
constexpr FontZeroMark Registered{0.50, 0.46, 0.46};

constexpr std::array<qreal, 128> table()
{
    std::array<qreal, 128> advances{};
    for (const Group &g : Groups)
        for (const char *c = g.characters; *c; ++c)
            advances[size_t(*c)] = g.advance;
    return advances;
}

constexpr std::array<qreal, 128> Advances = table();

} // namespace

qreal FontZeroAdvance(char32_t c)
{
    return c < Advances.size() ? Advances[c] : 0;
}

const FontZeroMark *FontZeroMarkOf(char32_t c)
{
    return c == U'\u00ae' ? &Registered : nullptr;
}

} // namespace zpl
