// NetSocket on POSIX systems.

#include "NetSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace NetSocket {

namespace {

int waitFor(socket_t socket, short events, int ms)
{
    pollfd one{socket, events, 0};
    int ready;
    do
        ready = ::poll(&one, 1, ms);
    while (ready < 0 && errno == EINTR);
    return ready < 0 ? -1 : ready > 0 ? 1 : 0;
}

} // namespace

int WaitReadable(socket_t socket, int ms)
{
    return waitFor(socket, POLLIN, ms);
}

int WaitWritable(socket_t socket, int ms)
{
    return waitFor(socket, POLLOUT, ms);
}

void ShutdownSending(socket_t socket)
{
    ::shutdown(socket, SHUT_WR);
}

std::string PeerOf(socket_t socket, bool local)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int got = local ? ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length)
                          : ::getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length);
    char host[NI_MAXHOST], port[NI_MAXSERV];
    if (got != 0 || ::getnameinfo(reinterpret_cast<sockaddr *>(&address), length, host, sizeof host, port,
                                  sizeof port, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return {};
    return std::string(host) + ':' + port;
}

} // namespace NetSocket
