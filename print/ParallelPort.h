#pragma once

#include <QByteArray>
#include <QString>

namespace ParallelPort {

// Sends `data` to the existing device `device` (the parallel or USB port): opens it,
// writes every byte, closes it, on every path. A device that does not exist
// is an error, never a new file. Where the device takes no more for the
// moment (a printer offline), events keep being dispatched while the write is
// retried; after `timeoutMs` without completing, it fails. Throws PrintError.
void Write(const QString &device, const QByteArray &data, int timeoutMs);

} // namespace ParallelPort
