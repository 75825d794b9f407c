#pragma once

#include <QFile>
#include <QString>

// Peak resident memory in kB of the process whose status file is `status`
// (/proc/self/status, /proc/PID/status), or -1 where the system does not tell.
inline long PeakKb(const QString &status = QStringLiteral("/proc/self/status"))
{
    QFile file(status);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
