// libFuzzer target for the settings reader: arbitrary file bytes, section,
// key and buffer size. Input: two bytes of size (little-endian, taken modulo
// 65538 and less one: -1 to 65536), the section up to a LF, the key up to a
// LF, then the file. Checks that nothing crashes or hangs, that no answer
// exceeds size - 1 characters, that the profile reader ends its text with a
// NUL inside its buffer, and that reading from memory and from a file agree.

#include "IniProfile.h"
#include "modINI.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "settings reader: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int bufferSize = int((data[0] | (data[1] << 8)) % 65538) - 1;
    std::string_view rest(reinterpret_cast<const char *>(data + 2), size - 2);
    const std::size_t sectionEnd = rest.find('\n'), keyEnd = rest.find('\n', sectionEnd + 1);
    if (keyEnd == std::string_view::npos)
        return 0;
    const std::string section(rest.substr(0, sectionEnd)), key(rest.substr(sectionEnd + 1, keyEnd - sectionEnd - 1));
    const std::string_view file = rest.substr(keyEnd + 1);

    // The file lives in memory: one descriptor, rewritten for every input.
    static const int fd = memfd_create("Config.ini", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, file.data(), file.size(), 0) != ssize_t(file.size()))
        fail("cannot write the file");

    // The core, with a buffer of exactly the size it is told.
    if (bufferSize > 0) {
        const auto bytes = static_cast<std::size_t>(bufferSize);
        std::vector<char> memory(bytes), fromFile(bytes);
        const std::size_t n = iniprofile::ReadProfileString(file, section.c_str(), key.c_str(), "", memory.data(),
                                                            memory.size());
        if (n > std::size_t(bufferSize - 1) || memory[n] != '\0')
            fail("profile text does not fit its buffer");
        const std::size_t m = iniprofile::ReadProfileStringFromFile(section.c_str(), key.c_str(), "",
                                                                    fromFile.data(), fromFile.size(), path.c_str());
        if (m != n || std::memcmp(memory.data(), fromFile.data(), n) != 0)
            fail("memory and file readers disagree");
    }

    const QString value = modINI::ReadIniValue(QString::fromUtf8(section.data(), qsizetype(section.size())),
                                               QString::fromUtf8(key.data(), qsizetype(key.size())),
                                               QString::fromStdString(path), QString(), bufferSize);
    if (value.size() > qMax(bufferSize - 1, 0))
        fail("value longer than size - 1");
    return 0;
}
