#pragma once

// What the virtual printer answers to host status queries, framed as a
// printer sends them on the same connection: each string between STX (0x02)
// and ETX (0x03), followed by CR LF.
//
//   ~HS    three strings: communication flags, paper out, pause, label length
//          in dots, formats in the buffer, partial format ... (see HostStatus.cpp)
//   ~HI    model, firmware, dots per mm, memory
//   ~HQES  the error and warning flags in words and hex digits
//
// The printer is idle with its head closed; only paper out and pause can be
// set, so that people can try how their software reacts to them.

#include <QByteArray>

namespace zpl {

struct HostStatus
{
    bool paperOut = false;
    bool paused = false;
};

// The ~HS answer. `labelLength` in dots (0-9999); `partialFormat` when a
// format has begun (^XA) and not ended.
QByteArray HostStatusAnswer(const HostStatus &status, int labelLength, bool partialFormat);
// The ~HI answer for a printer of `dpmm` dots per mm.
QByteArray HostIdentificationAnswer(int dpmm);
// The ~HQES answer: media out is the error it can report.
QByteArray ExtendedStatusAnswer(const HostStatus &status);

} // namespace zpl
