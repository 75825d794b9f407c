#pragma once

// The few socket calls the web service makes itself, beside what cpp-httplib
// does, on one connected socket. One file per platform: NetSocketPosix.cpp,
// NetSocketWindows.cpp.

#include <httplib.h>

namespace NetSocket {

// 1 when `socket` has bytes (or an end) to read, or when a write to it would
// not block (`writing`); 0 after `ms` without; -1 on an error.
int Wait(socket_t socket, bool writing, int ms);
inline int WaitReadable(socket_t socket, int ms) { return Wait(socket, false, ms); }
inline int WaitWritable(socket_t socket, int ms) { return Wait(socket, true, ms); }
// Sends the end of the stream (a FIN) after what was written; reading goes on.
void ShutdownSending(socket_t socket);

} // namespace NetSocket
