// NetSocket on POSIX systems.

#include "NetSocket.h"

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

} // namespace NetSocket
