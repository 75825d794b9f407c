#pragma once

// What differs between Windows and the other systems, in one place: the
// profile reader, the parallel (or USB) printer device and raw output to it,
// and the few socket calls that Qt does not offer. Plain C++ with no Qt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// GetPrivateProfileStringA where the system has it (texts in the ANSI code
// page), our own reader with the same answers elsewhere (IniProfile.h). Not
// named after it: <windows.h> makes that name a macro.
std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file);

// The printer device to use when Config.ini names none: "LPT1:" on Windows;
// elsewhere /dev/lp0 when it exists, otherwise the first USB printer
// /dev/usb/lpN, otherwise /dev/lp0 (which then reads as missing).
std::string DefaultPrinterDevice();

// True where a device that exists but may not be written is a matter of the
// user's groups (Linux: group lp), so that the advice can say so.
bool DeviceAccessByGroup();

// A failure as the system reported it: what kind of failure the program
// takes it for, the system's code to search for ("errno 16", on Windows the
// code's name, "ERROR_SHARING_VIOLATION"), and the system's own words.
struct DeviceError
{
    enum Kind { None, NotFound, AccessDenied, Busy, NotReady, PaperOut, Closed, IoError };
    Kind kind = None;     // Closed: the reading end went away (a pipe)
    std::string code;
    std::string detail; // in the system's 8-bit encoding
};

// Raw output to a device such as the parallel port. The handle is opaque.
using DeviceHandle = std::intptr_t;
constexpr DeviceHandle NoDevice = -1;

// Opens an existing device for writing; never creates a file in its place.
// Writes never block: a write that the device cannot take at once is left to
// finish while the caller dispatches events. Gives NoDevice on failure.
DeviceHandle OpenDevice(const char *path, DeviceError &error);

enum class WriteStatus { Written, WouldBlock, Failed };

// Writes what the device takes of `size` bytes; `written` says how many went.
// WouldBlock: nothing went yet (or a write started earlier is still under
// way); call again with the same data later.
WriteStatus WriteDevice(DeviceHandle device, const char *data, std::size_t size,
                        std::size_t &written, DeviceError &error);

// Closes the device, cancelling a write still under way; false (with the
// reason) if the system reports a failure.
bool CloseDevice(DeviceHandle device, DeviceError &error);

// True for a console program started on its own from the desktop (a
// double-click in Windows Explorer): no shell shares its console. False where
// programs are not started that way.
bool StartedFromDesktop();

// Makes the console, if the program has one, show the UTF-8 that the program
// writes, until the program ends (Windows' consoles take the OEM code page).
void UseUtf8Console();

// TCP, for what Qt's socket cannot do: a single connection attempt (Qt's
// socket retries on its own when a printer resets at once) and how many bytes
// the printer has not acknowledged yet.
using SocketHandle = std::intptr_t;
constexpr SocketHandle NoSocket = -1;

struct SocketError
{
    enum Kind { None, Refused, Unreachable, TimedOut, Reset, Other };
    Kind kind = None;
    std::string code;   // as DeviceError's: "errno 111", "WSAECONNREFUSED"
    std::string detail;
};

// Starts one non-blocking connection to the numeric address (IPv4 or IPv6)
// and port. Gives NoSocket with the reason when it cannot even start.
SocketHandle StartConnect(const char *numericAddress, std::uint16_t port, SocketError &error);

enum class ConnectStatus { Pending, Connected, Failed };

// Whether the connection started by StartConnect is up yet. Never blocks.
ConnectStatus CheckConnect(SocketHandle socket, SocketError &error);

// Closes a socket that was never handed to Qt.
void CloseSocket(SocketHandle socket);

// A program must not die because the reader of a pipe or the other end of a
// socket went away: the write then fails (EPIPE) and is reported. Sets this
// for the whole process (SIGPIPE ignored where there is such a signal); the
// print command does so before it writes anything.
void IgnoreBrokenPipe();

// Of the `handedOver` bytes written to the connected socket so far, how many
// the other side has not acknowledged yet. False when the system cannot say.
bool UnacknowledgedBytes(SocketHandle socket, std::uint64_t handedOver, std::uint64_t &outstanding);

// Files a folder's writers have finished, as far as the system tells it
// (Linux: inotify; the handle is a file descriptor that turns readable when
// there is news). Where it cannot, WatchFolder gives NoFolderWatch and a file
// counts as finished when its size stays the same for a while.
using FolderWatchHandle = std::intptr_t;
constexpr FolderWatchHandle NoFolderWatch = -1;
FolderWatchHandle WatchFolder(const char *folder);
// The names in the folder closed after writing, or moved in, since the last
// call (`finished`), and those written to without being closed yet
// (`writing`). Never blocks. False when the folder itself went away: stop
// this watch and watch it again once it is back.
bool TakeFolderEvents(FolderWatchHandle watch, std::vector<std::string> &finished, std::vector<std::string> &writing);
void StopWatchingFolder(FolderWatchHandle watch);

// Whether a program still has the file (a UTF-8 path) open for writing: on
// Windows a file being written cannot be opened for exclusive reading;
// elsewhere Unknown.
enum class WriterState { Writing, Done, Unknown };
WriterState FileWriterState(const char *path);

} // namespace platform
