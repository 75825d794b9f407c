#include "Platform.h"

// The Windows side of the platform seam (Win32 and Winsock).

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

// Windows tells writers by exclusive opening (FileWriterState); the folder
// is listed for new files.
FolderWatchHandle WatchFolder(const char *)
{
    return NoFolderWatch;
}

bool TakeFolderEvents(FolderWatchHandle, std::vector<std::string> &, std::vector<std::string> &)
{
    return true;
}

void StopWatchingFolder(FolderWatchHandle)
{
}

WriterState FileWriterState(const char *path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    std::wstring wide(std::size_t(length > 0 ? length : 1), L'\0');
    if (length <= 0 || MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], length) <= 0)
        return WriterState::Unknown;
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return WriterState::Done;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? WriterState::Writing : WriterState::Unknown;
}

} // namespace platform
