#pragma once

#include <QtGlobal>

namespace modMain {

// Paces the network print: `count` times, sleeps 1 ms, then dispatches every
// pending event, so the windows stay responsive while the socket connects or
// sends. A count below 1 returns at once.
void PumpWait(qint32 count);

} // namespace modMain
