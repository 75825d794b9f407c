#pragma once

#include <QFile>
#include <QString>

// Peak resident memory in kB of the process whose status file is `status`
// (/proc/self/status, /proc/PID/status), or -1 where the system does not tell;
// with `field` "VmRSS:", the resident memory now.
inline long PeakKb(const QString &status = QStringLiteral("/proc/self/status"), const QByteArray &field = "VmHWM:")
{
    QFile file(status);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}
