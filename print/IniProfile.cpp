// The rules, as the system's own GetPrivateProfileStringA follows them:
// - A line ends at LF, at CR LF and at a lone CR, also in a text that mixes
//   them. Blanks (space, tab, CR, VT, FF and Ctrl-Z) around a line are
//   dropped; blank lines are skipped.
// - "[name]" opens a section: the name runs up to the last "]" on the line,
//   blanks around it are dropped, anything after that "]" is ignored. A line
//   that starts with "[" but has no "]" is an ordinary line.
// - Any other line is an entry "key=value" (blanks around the key and the value
//   dropped), or, with no "=", a key without a value that yields the default.
//   ";" is not special: a comment line is an entry no real key matches, and a
//   ";" inside a value belongs to the value.
// - Section and key names match regardless of ASCII case, after blanks around
//   the requested names are dropped. Only the first section of a name is
//   searched, and the first entry of a key in it wins.
// - A value wholly enclosed in a matching pair of " or ' loses them.
// - A NUL byte ends a name or a value. A UTF-8 byte order mark is skipped; a
//   text with a UTF-16 byte order mark is read as UTF-16 and given as UTF-8.

#include "IniProfile.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <optional>
#include <string>

namespace iniprofile {
namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Names and values are C strings to the system's reader: a NUL ends them.
std::string_view upToNul(std::string_view s)
{
    return s.substr(0, s.find('\0'));
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view stored, std::string_view wanted)
{
    stored = upToNul(stored);
    if (stored.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (asciiLower(stored[i]) != asciiLower(wanted[i]))
            return false;
    }
    return true;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// UTF-16 text after its byte order mark, as UTF-8. An unpaired surrogate
// becomes U+FFFD; an odd last byte is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char16_t {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char16_t(b0 << 8 | b1) : char16_t(b1 << 8 | b0);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? char32_t(0xFFFD) : char32_t(u));
    }
    return out;
}

// Copies `text` into the buffer as the system's reader does, quotes included:
// an enclosing pair of quotes is dropped, the rest cut to size - 1 bytes. Where
// the cut already took the closing quote, one more byte goes (the system
// function does the same, and we keep its answer).
std::size_t copyValue(std::string_view text, char *buffer, std::size_t size)
{
    text = upToNul(text);
    bool quoted = false;
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'')
        && text.back() == text.front()) {
        quoted = true;
        text.remove_prefix(1);
    }
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    if (quoted && size >= text.size() && n > 0)
        --n;
    buffer[n] = '\0';
    return n;
}

// The value of `key` in the first section named `section`, if the key is there
// with an "=".
std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key)
{
    // Entries above the first header belong to a section with an empty name.
    bool inSection = section.empty();
    bool sectionSeen = inSection;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // CR LF reads as a line and an empty one, which is skipped.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty())
            continue;

        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                if (sectionSeen)
                    return std::nullopt; // the first section of that name lacks the key
                inSection = sameName(trimmed(line.substr(1, close - 1)), section);
                sectionSeen = inSection;
                continue;
            }
        }
        if (!inSection)
            continue;

        const std::size_t eq = line.find('=');
        const std::string_view name = trimmed(line.substr(0, eq));
        if (!sameName(name, key))
            continue;
        if (eq == std::string_view::npos)
            return std::nullopt;
        return trimmed(line.substr(eq + 1));
    }
    return std::nullopt;
}

// The default goes through the same copy as a value, quotes and all.
std::size_t copyDefault(const char *defaultValue, char *buffer, std::size_t size)
{
    std::string_view def = defaultValue ? defaultValue : "";
    // Trailing spaces go, but never the first character.
    while (def.size() > 1 && def.back() == ' ')
        def.remove_suffix(1);
    return copyValue(def, buffer, size);
}

// False when the file cannot be opened or read (missing, a folder, ...).
bool readWholeFile(const char *path, std::string &text)
{
    std::FILE *file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return false;
    char chunk[16384];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace

std::size_t ReadProfileString(std::string_view fileText, const char *section, const char *key,
                              const char *defaultValue, char *buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return 0;

    std::string decoded;
    if (fileText.substr(0, 3) == "\xEF\xBB\xBF") {
        fileText.remove_prefix(3);
    } else if (fileText.substr(0, 2) == "\xFF\xFE" || fileText.substr(0, 2) == "\xFE\xFF") {
        decoded = utf16ToUtf8(fileText.substr(2), fileText[0] == '\xFE');
        fileText = decoded;
    }

    if (const auto value = findValue(fileText, trimmed(section), trimmed(key)))
        return copyValue(*value, buffer, size);
    return copyDefault(defaultValue, buffer, size);
}

std::size_t ReadProfileStringFromFile(const char *section, const char *key,
                                      const char *defaultValue, char *buffer, std::size_t size,
                                      const char *path)
{
    if (!buffer || size == 0)
        return 0;
    std::string text;
    if (!readWholeFile(path, text))
        return copyDefault(defaultValue, buffer, size);
    return ReadProfileString(text, section, key, defaultValue, buffer, size);
}

} // namespace iniprofile
