#pragma once

// What the label-rendering web service takes from its clients, in one place.
// A client past a limit gets its own answer (the status in brackets) and the
// others are served as before; nothing a client sends grows without bound.

#include <QtGlobal>

namespace HttpLimits {

// One request
constexpr qint64 MaxHeadBytes = 64 * 1024;          // request line and headers (431)
constexpr qint64 MaxBodyBytes = 8 * 1024 * 1024;    // its Content-Length (413)
constexpr qint64 HeadMs = 10000;                    // for the whole head to arrive (408)
constexpr qint64 RequestMs = 60000;                 // for head and body to arrive (408)
constexpr qint64 StallMs = 10000;                   // without a byte while reading or writing
constexpr qint64 IdleMs = 30000;                    // a kept-alive connection waits for the next request
constexpr int MaxRequestsPerConnection = 100;       // then it closes (the client opens another)
// After a refusal: how long, and how much, the client's bytes are dropped
// before the connection is closed.
constexpr qint64 LingerMs = 2000;
constexpr qint64 MaxDrainedBytes = 1024 * 1024;

// All clients together
constexpr int MaxConnections = 256;                 // past it the one waiting longest for a request is closed (503)
constexpr qint64 MaxHeldBytes = 64 * 1024 * 1024;   // request bodies being received (503)
// Answers not yet taken by their clients, and requests being rendered (503).
constexpr qint64 MaxUnsentBytes = 64 * 1024 * 1024;
constexpr int MaxWorking = 64;
// Requests reported but not yet shown on the terminal and in the window.
constexpr int MaxPendingReports = 1000;

// One answer
constexpr double MaxInches = 15;                    // a label's width or length (400)
// X-Warnings stops growing past this: HTTP clients refuse longer headers.
constexpr qsizetype MaxWarningsBytes = 8 * 1024;
// The dots of all the labels of one answer: 400 labels of 4 x 6 in at 8 dots
// per mm, 50 MB before compression (400).
constexpr qint64 MaxAnswerDots = 400 * 1000 * 1000;

} // namespace HttpLimits
