#include "Platform.h"

// The POSIX side of the platform seam (Linux and the other Unix systems).

#include "IniProfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <csignal>
#include <sys/inotify.h>
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

FolderWatchHandle WatchFolder(const char *folder)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return NoFolderWatch;
    if (inotify_add_watch(fd, folder, IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_MODIFY | IN_DELETE_SELF
                                          | IN_MOVE_SELF | IN_ONLYDIR) < 0) {
        close(fd);
        return NoFolderWatch;
    }
    return fd;
}

bool TakeFolderEvents(FolderWatchHandle watch, std::vector<std::string> &finished, std::vector<std::string> &writing)
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool present = true;
    for (;;) {
        const ssize_t n = read(int(watch), buffer, sizeof buffer);
        if (n <= 0)
            return present;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            const std::string name = event->len > 0 ? std::string(event->name) : std::string();
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                present = false;
            else if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO))
                finished.push_back(name);
            else if (event->mask & (IN_CREATE | IN_MODIFY))
                writing.push_back(name);
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
}

void StopWatchingFolder(FolderWatchHandle watch)
{
    if (watch != NoFolderWatch)
        close(int(watch));
}

WriterState FileWriterState(const char *)
{
    return WriterState::Unknown;
}

} // namespace platform

