#include "Platform.h"

#ifdef _WIN32

#include <windows.h>

#include <climits>

namespace platform {
namespace {

DeviceError lastError()
{
    const DWORD code = GetLastError();
    DeviceError error;
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        error.kind = DeviceError::NotFound;
        break;
    case ERROR_ACCESS_DENIED:
        error.kind = DeviceError::AccessDenied;
        break;
    case ERROR_NOT_READY:
    case ERROR_SHARING_VIOLATION:
    case ERROR_GEN_FAILURE:
    case ERROR_SEM_TIMEOUT:
        error.kind = DeviceError::NotReady;
        break;
    default:
        error.kind = DeviceError::IoError;
    }
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    error.detail = text;
    while (!error.detail.empty() && (error.detail.back() == '\n' || error.detail.back() == '\r'))
        error.detail.pop_back();
    return error;
}

} // namespace

std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file)
{
    const DWORD length = size > DWORD(INT_MAX) ? DWORD(INT_MAX) : DWORD(size);
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, length, file);
}

const char *ParallelDeviceName()
{
    return "LPT1:";
}

DeviceHandle OpenDevice(const char *path, int writeTimeoutMs, DeviceError &error)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = lastError();
        return NoDevice;
    }
    // Ports take a write time-out; files do not need one and refuse it.
    COMMTIMEOUTS timeouts = {};
    timeouts.WriteTotalTimeoutConstant = DWORD(writeTimeoutMs);
    SetCommTimeouts(h, &timeouts);
    return reinterpret_cast<DeviceHandle>(h);
}

WriteStatus WriteDevice(DeviceHandle device, const char *data, std::size_t size,
                        std::size_t &written, DeviceError &error)
{
    DWORD done = 0;
    const DWORD chunk = size > 0x10000 ? 0x10000 : DWORD(size);
    written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(device), data, chunk, &done, nullptr)) {
        error = lastError();
        return WriteStatus::Failed;
    }
    written = done;
    return done == 0 && size > 0 ? WriteStatus::WouldBlock : WriteStatus::Written;
}

bool CloseDevice(DeviceHandle device, DeviceError &error)
{
    if (!CloseHandle(reinterpret_cast<HANDLE>(device))) {
        error = lastError();
        return false;
    }
    return true;
}

} // namespace platform

#else // POSIX

#include "IniProfile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace platform {
namespace {

DeviceError errnoError(int code)
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
    case ENXIO:
    case ENODEV:
    case EBUSY:
    case ENOSPC:
    case EPIPE:
        error.kind = DeviceError::NotReady;
        break;
    default:
        error.kind = DeviceError::IoError;
    }
    error.detail = std::strerror(code);
    return error;
}

// A device whose reader went away (a pipe standing in for the port) answers
// with SIGPIPE, which would end the program. Hold the signal back for the
// write and take a SIGPIPE that the write raised off the queue again.
ssize_t writeWithoutSigpipe(int fd, const char *data, std::size_t size)
{
    sigset_t pipeOnly, old;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);

    const ssize_t n = ::write(fd, data, size);
    const int writeErrno = errno;
    if (n < 0 && writeErrno == EPIPE && !wasPending) {
        const timespec now = {0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = writeErrno;
    return n;
}

} // namespace

std::size_t ProfileString(const char *section, const char *key, const char *defaultValue,
                          char *buffer, std::size_t size, const char *file)
{
    return iniprofile::ReadProfileStringFromFile(section, key, defaultValue, buffer, size, file);
}

const char *ParallelDeviceName()
{
    return "/dev/lp0";
}

DeviceHandle OpenDevice(const char *path, int /*writeTimeoutMs*/, DeviceError &error)
{
    // No O_CREAT: a missing device must fail, not become a file. O_NONBLOCK
    // keeps both the open (a pipe with no reader) and the writes (a printer
    // that is offline) from stopping the program; the caller paces retries.
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errnoError(errno);
        return NoDevice;
    }
    return fd;
}

WriteStatus WriteDevice(DeviceHandle device, const char *data, std::size_t size,
                        std::size_t &written, DeviceError &error)
{
    written = 0;
    ssize_t n;
    do {
        n = writeWithoutSigpipe(int(device), data, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return WriteStatus::WouldBlock;
        error = errnoError(errno);
        return WriteStatus::Failed;
    }
    written = std::size_t(n);
    return WriteStatus::Written;
}

bool CloseDevice(DeviceHandle device, DeviceError &error)
{
    // close() is not retried on EINTR: the descriptor is gone either way.
    if (::close(int(device)) < 0 && errno != EINTR) {
        error = errnoError(errno);
        return false;
    }
    return true;
}

} // namespace platform

#endif
