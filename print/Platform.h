#pragma once

// What differs between Windows and the other systems, in one place: the
// profile reader, the name of the first parallel port and raw output to it.
// Plain C++ with no Qt.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// GetPrivateProfileStringA where the system has it (texts in the ANSI code
// page), our own reader with the same answers elsewhere (IniProfile.h). Not
// named after it: <windows.h> makes that name a macro.
std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file);

// "LPT1:" on Windows, /dev/lp0 elsewhere.
const char *ParallelDeviceName();

// Raw output to a device such as the parallel port.
using DeviceHandle = std::intptr_t;
constexpr DeviceHandle NoDevice = -1;

struct DeviceError
{
    enum Kind { None, NotFound, AccessDenied, NotReady, IoError };
    Kind kind = None;
    std::string detail; // the system's own words, in its 8-bit encoding
};

// Opens an existing device for writing; never creates a file in its place.
// Writes never wait on systems that allow it; where they do wait (Windows),
// a write gives up after `writeTimeoutMs`. Gives NoDevice on failure.
DeviceHandle OpenDevice(const char *path, int writeTimeoutMs, DeviceError &error);

enum class WriteStatus { Written, WouldBlock, Failed };

// Writes what the device takes now of `size` bytes; `written` says how many.
WriteStatus WriteDevice(DeviceHandle device, const char *data, std::size_t size,
                        std::size_t &written, DeviceError &error);

// Closes the device; false (with the reason) if the system reports a failure.
bool CloseDevice(DeviceHandle device, DeviceError &error);

} // namespace platform
