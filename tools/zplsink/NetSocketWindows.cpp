// NetSocket on Windows (Winsock 2, which cpp-httplib has started).

#include "NetSocket.h"

#include <winsock2.h>

namespace NetSocket {

namespace {

int waitFor(socket_t socket, short events, int ms)
{
    WSAPOLLFD one{socket, events, 0};
    const int ready = ::WSAPoll(&one, 1, ms);
    return ready == SOCKET_ERROR ? -1 : ready > 0 ? 1 : 0;
}

} // namespace

int WaitReadable(socket_t socket, int ms)
{
    return waitFor(socket, POLLRDNORM, ms);
}

int WaitWritable(socket_t socket, int ms)
{
    return waitFor(socket, POLLWRNORM, ms);
}

void ShutdownSending(socket_t socket)
{
    ::shutdown(socket, SD_SEND);
}

} // namespace NetSocket
