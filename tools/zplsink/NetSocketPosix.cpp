// NetSocket on POSIX systems.

#include "NetSocket.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace NetSocket {

int Wait(socket_t socket, bool writing, int ms)
{
    pollfd one{socket, short(writing ? POLLOUT : POLLIN), 0};
    int ready;
    do
        ready = ::poll(&one, 1, ms);
    while (ready < 0 && errno == EINTR);
    return ready < 0 ? -1 : ready > 0 ? 1 : 0;
}

void ShutdownSending(socket_t socket)
{
    ::shutdown(socket, SHUT_WR);
}

} // namespace NetSocket
