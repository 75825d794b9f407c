#include "Platform.h"

#ifdef _WIN32

// SIO_TCP_INFO is declared for Windows 10 1703 on; older systems refuse the
// call at run time, and the caller then does without it.
#ifndef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace platform {
namespace {

std::string systemText(DWORD code)
{
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                   sizeof text, nullptr);
    std::string detail = text;
    while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r'))
        detail.pop_back();
    return detail;
}

// The name of a code the program maps, to search for; the number otherwise.
#define NAMED(code) {code, #code}
struct CodeName
{
    DWORD code;
    const char *name;
};
constexpr CodeName Names[] = {
    NAMED(ERROR_FILE_NOT_FOUND), NAMED(ERROR_PATH_NOT_FOUND), NAMED(ERROR_BAD_NETPATH), NAMED(ERROR_BAD_NET_NAME),
    NAMED(ERROR_ACCESS_DENIED), NAMED(ERROR_OUT_OF_PAPER), NAMED(ERROR_SHARING_VIOLATION), NAMED(ERROR_BUSY),
    NAMED(ERROR_NOT_READY), NAMED(ERROR_GEN_FAILURE), NAMED(ERROR_SEM_TIMEOUT), NAMED(ERROR_BROKEN_PIPE),
    NAMED(ERROR_NO_DATA), NAMED(WSAECONNREFUSED), NAMED(WSAENETUNREACH), NAMED(WSAEHOSTUNREACH),
    NAMED(WSAENETDOWN), NAMED(WSAETIMEDOUT), NAMED(WSAECONNRESET), NAMED(WSAECONNABORTED)};
#undef NAMED

std::string codeName(DWORD code)
{
    for (const CodeName &known : Names) {
        if (known.code == code)
            return known.name;
    }
    return "error " + std::to_string(code);
}

DeviceError deviceError(DWORD code)
{
    DeviceError error;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        error.kind = DeviceError::NotFound;
        break;
    case ERROR_ACCESS_DENIED:
        error.kind = DeviceError::AccessDenied;
        break;
    case ERROR_OUT_OF_PAPER:
        error.kind = DeviceError::PaperOut;
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        error.kind = DeviceError::Busy;
        break;
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_SEM_TIMEOUT:
        error.kind = DeviceError::NotReady;
        break;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        error.kind = DeviceError::Closed;
        break;
    default:
        error.kind = DeviceError::IoError;
    }
    error.code = codeName(code);
    error.detail = systemText(code);
    return error;
}

// An open device with the one overlapped write that may be under way.
struct Device
{
    HANDLE file = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped = {};
    bool pending = false;
    std::string chunk; // the pending write's bytes, kept until it completes
};

SocketError socketError(int code)
{
    SocketError error;
    switch (code) {
    case WSAECONNREFUSED:
        error.kind = SocketError::Refused;
        break;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
        error.kind = SocketError::Unreachable;
        break;
    case WSAETIMEDOUT:
        error.kind = SocketError::TimedOut;
        break;
    case WSAECONNRESET:
    case WSAECONNABORTED:
        error.kind = SocketError::Reset;
        break;
    default:
        error.kind = SocketError::Other;
    }
    error.code = codeName(DWORD(code));
    error.detail = systemText(DWORD(code));
    return error;
}

bool startWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

} // namespace

std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file)
{
    const DWORD length = size > DWORD(INT_MAX) ? DWORD(INT_MAX) : DWORD(size);
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, length, file);
}

std::string DefaultPrinterDevice()
{
    return "LPT1:";
}

bool DeviceAccessByGroup()
{
    return false;
}

DeviceHandle OpenDevice(const char *path, DeviceError &error)
{
    // Overlapped, so that a printer that takes no data never blocks the
    // window: the caller waits in short slices with events dispatched.
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = deviceError(GetLastError());
        return NoDevice;
    }
    auto *device = new Device;
    device->file = file;
    device->overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!device->overlapped.hEvent) {
        error = deviceError(GetLastError());
        CloseHandle(file);
        delete device;
        return NoDevice;
    }
    return reinterpret_cast<DeviceHandle>(device);
}

WriteStatus WriteDevice(DeviceHandle handle, const char *data, std::size_t size, std::size_t &written,
                        DeviceError &error)
{
    auto *device = reinterpret_cast<Device *>(handle);
    written = 0;
    if (!device->pending) {
        device->chunk.assign(data, std::min<std::size_t>(size, 0x10000));
        ResetEvent(device->overlapped.hEvent);
        // All ones: append where the device is a file.
        device->overlapped.Offset = 0xFFFFFFFF;
        device->overlapped.OffsetHigh = 0xFFFFFFFF;
        DWORD done = 0;
        if (WriteFile(device->file, device->chunk.data(), DWORD(device->chunk.size()), &done,
                      &device->overlapped)) {
            written = done;
            return done == 0 && size > 0 ? WriteStatus::WouldBlock : WriteStatus::Written;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            error = deviceError(GetLastError());
            return WriteStatus::Failed;
        }
        device->pending = true;
    }
    DWORD done = 0;
    if (!GetOverlappedResult(device->file, &device->overlapped, &done, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE)
            return WriteStatus::WouldBlock;
        device->pending = false;
        error = deviceError(GetLastError());
        return WriteStatus::Failed;
    }
    device->pending = false;
    written = done;
    return done == 0 && size > 0 ? WriteStatus::WouldBlock : WriteStatus::Written;
}

bool CloseDevice(DeviceHandle handle, DeviceError &error)
{
    auto *device = reinterpret_cast<Device *>(handle);
    if (device->pending) {
        DWORD done = 0;
        CancelIoEx(device->file, &device->overlapped);
        GetOverlappedResult(device->file, &device->overlapped, &done, TRUE);
    }
    CloseHandle(device->overlapped.hEvent);
    const bool closed = CloseHandle(device->file) != 0;
    if (!closed)
        error = deviceError(GetLastError());
    delete device;
    return closed;
}

bool StartedFromDesktop()
{
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

void UseUtf8Console()
{
    static const UINT previous = GetConsoleOutputCP();
    if (previous == 0 || previous == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8))
        return;
    std::atexit([] { SetConsoleOutputCP(previous); });
}

SocketHandle StartConnect(const char *numericAddress, std::uint16_t port, SocketError &error)
{
    if (!startWinsock()) {
        error = socketError(WSAGetLastError());
        return NoSocket;
    }
    addrinfo hints = {};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(numericAddress, service.c_str(), &hints, &found) != 0 || !found) {
        error = socketError(WSAGetLastError());
        return NoSocket;
    }
    const SOCKET s = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    u_long nonBlocking = 1;
    if (s == INVALID_SOCKET || ioctlsocket(s, FIONBIO, &nonBlocking) != 0
        || (connect(s, found->ai_addr, int(found->ai_addrlen)) != 0 && WSAGetLastError() != WSAEWOULDBLOCK)) {
        error = socketError(WSAGetLastError());
        if (s != INVALID_SOCKET)
            closesocket(s);
        freeaddrinfo(found);
        return NoSocket;
    }
    freeaddrinfo(found);
    return SocketHandle(s);
}

ConnectStatus CheckConnect(SocketHandle handle, SocketError &error)
{
    const SOCKET s = SOCKET(handle);
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval now = {0, 0};
    if (select(0, nullptr, &writable, &failed, &now) == SOCKET_ERROR) {
        error = socketError(WSAGetLastError());
        return ConnectStatus::Failed;
    }
    if (FD_ISSET(s, &failed)) {
        int code = 0;
        int length = sizeof code;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&code), &length);
        error = socketError(code ? code : WSAECONNREFUSED);
        return ConnectStatus::Failed;
    }
    return FD_ISSET(s, &writable) ? ConnectStatus::Connected : ConnectStatus::Pending;
}

void CloseSocket(SocketHandle handle)
{
    closesocket(SOCKET(handle));
}

void IgnoreBrokenPipe()
{
    // Windows has no such signal: a write to a closed pipe or socket fails.
}

bool UnacknowledgedBytes(SocketHandle handle, std::uint64_t handedOver, std::uint64_t &outstanding)
{
    // Windows 10 1703 and later. Bytes not sent yet are what was handed over
    // less what went out once; those in flight are sent but not acknowledged.
    DWORD version = 0;
    TCP_INFO_v0 info = {};
    DWORD size = 0;
    if (WSAIoctl(SOCKET(handle), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &size, nullptr,
                 nullptr) != 0)
        return false;
    const std::uint64_t sentOnce = info.BytesOut - std::min<std::uint64_t>(info.BytesOut, info.BytesRetrans);
    outstanding = info.BytesInFlight + (handedOver - std::min(handedOver, sentOnce));
    return true;
}

} // namespace platform

#else // POSIX

#include "IniProfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <csignal>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#ifdef __linux__
#include <linux/sockios.h>
#endif

namespace platform {
namespace {

DeviceError deviceError(int code)
{
    DeviceError error;
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        error.kind = DeviceError::NotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        error.kind = DeviceError::AccessDenied;
        break;
    case ENOSPC: // the lp and usblp drivers' answer to a printer out of paper
        error.kind = DeviceError::PaperOut;
        break;
    case EBUSY:
        error.kind = DeviceError::Busy;
        break;
    case ENXIO: // also a pipe that nobody reads
    case ENODEV:
    case EIO: // offline, or the cable is off
        error.kind = DeviceError::NotReady;
        break;
    case EPIPE:
        error.kind = DeviceError::Closed;
        break;
    default:
        error.kind = DeviceError::IoError;
    }
    error.code = "errno " + std::to_string(code);
    error.detail = std::strerror(code);
    return error;
}

SocketError socketError(int code)
{
    SocketError error;
    switch (code) {
    case ECONNREFUSED:
        error.kind = SocketError::Refused;
        break;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
        error.kind = SocketError::Unreachable;
        break;
    case ETIMEDOUT:
        error.kind = SocketError::TimedOut;
        break;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        error.kind = SocketError::Reset;
        break;
    default:
        error.kind = SocketError::Other;
    }
    error.code = "errno " + std::to_string(code);
    error.detail = std::strerror(code);
    return error;
}

bool exists(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file)
{
    return iniprofile::ReadProfileStringFromFile(section, key, defaultValue, buffer, size, file);
}

std::string DefaultPrinterDevice()
{
    const std::string parallel = "/dev/lp0";
    if (exists(parallel))
        return parallel;
    // USB printers: /dev/usb/lp0, lp1, ... the lowest number first.
    std::vector<int> numbers;
    if (DIR *dir = ::opendir("/dev/usb")) {
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strncmp(name, "lp", 2) == 0 && name[2] != '\0'
                && std::strspn(name + 2, "0123456789") == std::strlen(name + 2) && std::strlen(name + 2) < 6)
                numbers.push_back(std::atoi(name + 2));
        }
        ::closedir(dir);
    }
    if (numbers.empty())
        return parallel;
    return "/dev/usb/lp" + std::to_string(*std::min_element(numbers.begin(), numbers.end()));
}

bool DeviceAccessByGroup()
{
    return true;
}

DeviceHandle OpenDevice(const char *path, DeviceError &error)
{
    // No O_CREAT: a missing device must fail, not become a file. O_NONBLOCK
    // keeps both the open (a pipe with no reader) and the writes (a printer
    // that is offline) from stopping the program; the caller paces retries.
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = deviceError(errno);
        return NoDevice;
    }
    return fd;
}

WriteStatus WriteDevice(DeviceHandle device, const char *data, std::size_t size, std::size_t &written,
                        DeviceError &error)
{
    written = 0;
    ssize_t n;
    do {
        n = ::write(int(device), data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return WriteStatus::WouldBlock;
        error = deviceError(errno);
        return WriteStatus::Failed;
    }
    written = std::size_t(n);
    return WriteStatus::Written;
}

bool CloseDevice(DeviceHandle device, DeviceError &error)
{
    // close() is not retried on EINTR: the descriptor is gone either way.
    if (::close(int(device)) < 0 && errno != EINTR) {
        error = deviceError(errno);
        return false;
    }
    return true;
}

bool StartedFromDesktop()
{
    return false;
}

void UseUtf8Console()
{
}

SocketHandle StartConnect(const char *numericAddress, std::uint16_t port, SocketError &error)
{
    addrinfo hints = {};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    const int lookup = ::getaddrinfo(numericAddress, service.c_str(), &hints, &found);
    if (lookup != 0 || !found) {
        error.kind = SocketError::Other;
        error.code = "getaddrinfo " + std::to_string(lookup);
        error.detail = ::gai_strerror(lookup);
        return NoSocket;
    }
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int code = fd < 0 ? errno : 0;
    if (fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) != 0 && errno != EINPROGRESS)
        code = errno;
    ::freeaddrinfo(found);
    if (code != 0) {
        if (fd >= 0)
            ::close(fd);
        error = socketError(code);
        return NoSocket;
    }
    return fd;
}

ConnectStatus CheckConnect(SocketHandle socket, SocketError &error)
{
    pollfd entry = {int(socket), POLLOUT, 0};
    if (::poll(&entry, 1, 0) == 0)
        return ConnectStatus::Pending;
    int code = 0;
    socklen_t length = sizeof code;
    if (::getsockopt(int(socket), SOL_SOCKET, SO_ERROR, &code, &length) != 0)
        code = errno;
    if (code == 0 && !(entry.revents & (POLLERR | POLLHUP)))
        return ConnectStatus::Connected;
    error = socketError(code ? code : ECONNRESET);
    return ConnectStatus::Failed;
}

void CloseSocket(SocketHandle socket)
{
    ::close(int(socket));
}

void IgnoreBrokenPipe()
{
    ::signal(SIGPIPE, SIG_IGN);
}

bool UnacknowledgedBytes(SocketHandle socket, std::uint64_t /*handedOver*/, std::uint64_t &outstanding)
{
#ifdef SIOCOUTQ
    // Linux counts what is not sent yet and what is sent but not acknowledged.
    int queued = 0;
    if (::ioctl(int(socket), SIOCOUTQ, &queued) != 0 || queued < 0)
        return false;
    outstanding = std::uint64_t(queued);
    return true;
#else
    (void)socket;
    (void)outstanding;
    return false;
#endif
}

} // namespace platform

#endif
