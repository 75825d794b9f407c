// Runs on Windows (here: under Wine): reads every settings fixture with the
// system's GetPrivateProfileStringA (platform::ProfileString, as the Windows
// build calls it) and with our own reader, for every section and key the
// fixture names and variants of them, with buffers of 8 and 65536 bytes, LF and
// CR LF line ends, and requires the same answer byte for byte, except where the
// systems' encodings differ rather than the readers: a file with a UTF-8 or
// UTF-16 byte order mark comes back in each reader's own 8-bit encoding (the
// ANSI code page there, UTF-8 here), so its non-ASCII texts are compared as
// characters under code page 936, and not where cut; the non-ASCII bytes of a
// file without one only under a single-byte code page, which passes them as
// they are (under 936, UTF-8 bytes are no valid text).
//
// Usage: profile_parity.exe FIXTURE_FOLDER (a Windows path)

#include "IniProfile.h"
#include "Platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    return bool(out.write(text.data(), std::streamsize(text.size())).flush());
}

bool declaresEncoding(const std::string &text)
{
    return text.rfind("\xEF\xBB\xBF", 0) == 0 || text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0;
}

std::string trim(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\r\x1a");
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(" \t\r\x1a") - first + 1);
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    return s;
}

// Every section and key name that the text seems to hold, with their
// upper-case and padded forms and names that are nowhere.
void names(std::string text, std::set<std::string> &sections, std::set<std::string> &keys)
{
    if (text.rfind("\xFF\xFE", 0) == 0) {
        // UTF-16: its ASCII names are what the queries need.
        std::string narrow;
        for (std::size_t i = 2; i + 1 < text.size(); i += 2)
            narrow += text[i + 1] == '\0' ? text[i] : '?';
        text = narrow;
    }
    sections = {"", "nosuch", "prtmod"};
    keys = {"nosuch", "prtmod", "darkness"};
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        const auto close = line.rfind(']');
        if (!line.empty() && line[0] == '[' && close != std::string::npos)
            sections.insert(trim(line.substr(1, close - 1)));
        else if (!line.empty())
            keys.insert(trim(line.substr(0, line.find('='))));
    }
    for (auto *set : {&sections, &keys}) {
        const std::set<std::string> plain = *set;
        for (const std::string &name : plain) {
            if (name.find('\0') != std::string::npos || name.empty())
                continue;
            set->insert(upper(name));
            set->insert(" " + name + "\t");
        }
    }
}

std::wstring decode(const char *bytes, int length, UINT codePage)
{
    std::wstring wide(std::size_t(length) + 1, L'\0');
    const int n = MultiByteToWideChar(codePage, 0, bytes, length, &wide[0], int(wide.size()));
    wide.resize(std::size_t(n > 0 ? n : 0));
    return wide;
}

std::string shown(const char *bytes, std::size_t length)
{
    std::string out;
    char hex[8];
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += c >= 0x20 && c < 0x7f ? std::string(1, char(c)) : std::string(hex);
    }
    return out;
}

bool allAscii(const char *bytes, std::size_t length)
{
    return std::all_of(bytes, bytes + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

int main(int argc, char **argv)
{
    const std::string folder = argc == 2 ? argv[1] : "";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.ini").c_str(), &found);
    if (argc != 2 || search == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "usage: profile_parity FIXTURE_FOLDER (a folder of *.ini files)\n");
        return 2;
    }
    char tempFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, tempFolder);
    const bool chineseCodePage = GetACP() == 936;
    int compared = 0, differing = 0, skipped = 0, fixtures = 0;
    const char *defaults[] = {"", "DEF  ", "\"q\""};
    do {
        ++fixtures;
        const std::string original = readFile(folder + "\\" + found.cFileName);
        const bool encoded = declaresEncoding(original);
        std::vector<std::pair<std::string, std::string>> variants = {{"lf", original}};
        if (!encoded && original.find('\n') != std::string::npos
            && original.find("\r\n") == std::string::npos) {
            std::string crlf;
            for (const char c : original)
                crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            variants.push_back({"crlf", crlf});
        }
        std::set<std::string> sections, keys;
        names(original, sections, keys);

        for (const auto &[ends, text] : variants) {
            const std::string path = std::string(tempFolder) + "zplparity-" + ends + "-" + found.cFileName;
            if (!writeFile(path, text)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 2;
            }
            for (const std::string &section : sections) {
                for (const std::string &key : keys) {
                    for (const char *def : defaults) {
                        for (const DWORD size : {DWORD(8), DWORD(65536)}) {
                            std::vector<char> theirs(size + 16, '#'), ours(size + 16, '#');
                            const std::size_t theirLength = platform::ProfileString(
                                section.c_str(), key.c_str(), def, theirs.data(), size, path.c_str());
                            const std::size_t ourLength = iniprofile::ReadProfileStringFromFile(
                                section.c_str(), key.c_str(), def, ours.data(), size, path.c_str());
                            const bool ascii =
                                allAscii(theirs.data(), theirLength) && allAscii(ours.data(), ourLength);
                            if (!ascii && (encoded != chineseCodePage || (encoded && size == 8))) {
                                ++skipped;
                                continue;
                            }
                            const bool same = !ascii && encoded
                                ? decode(theirs.data(), int(theirLength), CP_ACP)
                                    == decode(ours.data(), int(ourLength), CP_UTF8)
                                : theirLength == ourLength && ours[ourLength] == '\0'
                                    && std::string(theirs.data(), theirLength) == std::string(ours.data(), ourLength);
                            ++compared;
                            if (!same) {
                                ++differing;
                                std::printf("DIFFERS %s (%s) [%s] %s default \"%s\" size %lu: system %lu \"%s\", ours %lu \"%s\"\n",
                                            found.cFileName, ends.c_str(), shown(section.data(), section.size()).c_str(),
                                            shown(key.data(), key.size()).c_str(), def, (unsigned long)size,
                                            (unsigned long)theirLength, shown(theirs.data(), theirLength).c_str(),
                                            (unsigned long)ourLength, shown(ours.data(), ourLength).c_str());
                            }
                        }
                    }
                }
            }
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);

    std::printf("parity (code page %u): %d fixtures, %d answers compared, %d differ, %d left to the other code page\n",
                GetACP(), fixtures, compared, differing, skipped);
    std::printf("parity: %d passed, %d failed\n", compared - differing, differing);
    return differing == 0 ? 0 : 1;
}
