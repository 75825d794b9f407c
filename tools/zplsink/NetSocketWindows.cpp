// NetSocket on Windows (Winsock 2, which cpp-httplib has started).

#include "NetSocket.h"

#include <winsock2.h>

namespace NetSocket {

int Wait(socket_t socket, bool writing, int ms)
{
    WSAPOLLFD one{socket, short(writing ? POLLWRNORM : POLLRDNORM), 0};
    const int ready = ::WSAPoll(&one, 1, ms);
    return ready == SOCKET_ERROR ? -1 : ready > 0 ? 1 : 0;
}

void ShutdownSending(socket_t socket)
{
    ::shutdown(socket, SD_SEND);
}

} // namespace NetSocket
