#pragma once

// Our own profile-string reader, for systems whose C library has no
// GetPrivateProfileStringA. It takes the same arguments and gives the same
// result as that function, so that one Config.ini reads alike everywhere.
// Plain C++ with no Qt: it builds for Windows too, where the tests hold it
// against the system's function.
//
// The text is handled as bytes in the system's 8-bit encoding; names and
// values come back byte for byte, cut to fit the buffer.

#include <cstddef>
#include <string_view>

namespace iniprofile {

// Looks up `key` under `[section]` in the INI text `fileText` and copies its
// value into `buffer`: at most size - 1 bytes, then a NUL. When the section or
// the key is not there, or the key has no "=", `defaultValue` (without
// trailing blanks) is copied instead; nullptr counts as "".
// Returns the number of bytes placed, without the NUL. With size 0 nothing is
// placed and 0 is returned. `section` and `key` must not be nullptr.
std::size_t ReadProfileString(std::string_view fileText, const char *section, const char *key,
                              const char *defaultValue, char *buffer, std::size_t size);

// The same for the file at `path`. A file that is missing or cannot be read
// gives the default, as a missing key does.
std::size_t ReadProfileStringFromFile(const char *section, const char *key,
                                      const char *defaultValue, char *buffer, std::size_t size,
                                      const char *path);

} // namespace iniprofile
