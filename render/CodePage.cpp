#include "CodePage.h"

#include <cctype>
#include <cstring>

namespace zpl {

namespace {

// Code page 850, bytes 0x80-0xff.
constexpr char16_t Cp850[128] = {
    0x00c7, 0x00fc, 0x00e9, 0x00e2, 0x00e4, 0x00e0, 0x00e5, 0x00e7,
    0x00ea, 0x00eb, 0x00e8, 0x00ef, 0x00ee, 0x00ec, 0x00c4, 0x00c5,
    0x00c9, 0x00e6, 0x00c6, 0x00f4, 0x00f6, 0x00f2, 0x00fb, 0x00f9,
    0x00ff, 0x00d6, 0x00dc, 0x00f8, 0x00a3, 0x00d8, 0x00d7, 0x0192,
    0x00e1, 0x00ed, 0x00f3, 0x00fa, 0x00f1, 0x00d1, 0x00aa, 0x00ba,
    0x00bf, 0x00ae, 0x00ac, 0x00bd, 0x00bc, 0x00a1, 0x00ab, 0x00bb,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00c1, 0x00c2, 0x00c0,
    0x00a9, 0x2563, 0x2551, 0x2557, 0x255d, 0x00a2, 0x00a5, 0x2510,
    0x2514, 0x2534, 0x252c, 0x251c, 0x2500, 0x253c, 0x00e3, 0x00c3,
    0x255a, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256c, 0x00a4,
    0x00f0, 0x00d0, 0x00ca, 0x00cb, 0x00c8, 0x0131, 0x00cd, 0x00ce,
    0x00cf, 0x2518, 0x250c, 0x2588, 0x2584, 0x00a6, 0x00cc, 0x2580,
    0x00d3, 0x00df, 0x00d4, 0x00d2, 0x00f5, 0x00d5, 0x00b5, 0x00fe,
    0x00de, 0x00da, 0x00db, 0x00d9, 0x00fd, 0x00dd, 0x00af, 0x00b4,
    0x00ad, 0x00b1, 0x2017, 0x00be, 0x00b6, 0x00a7, 0x00f7, 0x00b8,
    0x00b0, 0x00a8, 0x00b7, 0x00b9, 0x00b3, 0x00b2, 0x25a0, 0x00a0,
};

// Code page 1252, bytes 0x80-0x9f (the rest is Latin-1).
constexpr char16_t Cp1252[32] = {
    0x20ac, 0xfffd, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
    0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0xfffd, 0x017d, 0xfffd,
    0xfffd, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
    0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0xfffd, 0x017e, 0x0178,
};

// ^CI 1-12 replace some ASCII positions with national characters. These
// follow the ISO 646 national variants; not checked against a printer.
struct National { int page; const char *positions; const char16_t *characters; };
const National Nationals[] = {
    {2, "#", u"\u00a3"},                                              // U.K.
    {3, "#@[\\]{|}~", u"\u00a3\u00be\u0133\u00bd|\u00a8\u0192\u00bc\u00b4"},   // Holland
    {4, "[\\]{|}", u"\u00c6\u00d8\u00c5\u00e6\u00f8\u00e5"},                  // Denmark/Norway
    {5, "@[\\]^`{|}~", u"\u00c9\u00c4\u00d6\u00c5\u00dc\u00e9\u00e4\u00f6\u00e5\u00fc"}, // Sweden/Finland
    {6, "@[\\]{|}~", u"\u00a7\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df"},        // Germany
    {7, "#@[\\]{|}~", u"\u00a3\u00e0\u00b0\u00e7\u00a7\u00e9\u00f9\u00e8\u00a8"}, // France 1
    {8, "@[\\]{|}~", u"\u00e0\u00e2\u00e7\u00ea\u00e9\u00f9\u00e8\u00fb"},        // France 2
    {9, "#@[\\]`{|}~", u"\u00a3\u00a7\u00b0\u00e7\u00e9\u00f9\u00e0\u00f2\u00e8\u00ec"}, // Italy
    {10, "#@[\\]{|}", u"\u20a7\u00a7\u00a1\u00d1\u00bf\u00b0\u00f1\u00e7"},       // Spain
    {12, "\\", u"\u00a5"},                                          // Japan
};

} // namespace

bool IsKnownCodePage(int page)
{
    return (page >= 0 && page <= 13) || page == 27 || page == 28;
}

QString DecodeFieldData(const QByteArray &bytes, int page)
{
    if (page == 28)
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    const National *national = nullptr;
    for (const National &n : Nationals)
        if (n.page == page)
            national = &n;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            const char *at = national ? std::strchr(national->positions, c) : nullptr;
            text += at && c ? QChar(national->characters[at - national->positions]) : QChar(u);
        } else if (page == 27) {
            text += QChar(u < 0xa0 ? Cp1252[u - 0x80] : char16_t(u));
        } else {
            text += QChar(Cp850[u - 0x80]);
        }
    }
    return text;
}

QByteArray DecodeHex(const QByteArray &data, char indicator)
{
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data.at(i) == indicator && i + 2 < data.size() && std::isxdigit(static_cast<unsigned char>(data.at(i + 1)))
            && std::isxdigit(static_cast<unsigned char>(data.at(i + 2)))) {
            out += char(data.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += data.at(i);
        }
    }
    return out;
}

} // namespace zpl
