#include "TestFiles.h"

#include <QFile>

namespace testfiles {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(file.errorString()));
}

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Config(const QByteArray &mode, const QByteArray &host, const QByteArray &port,
                  const QByteArray &darkness)
{
    return "[prtmod]\r\nprtmod=" + mode + "\r\ndarkness=" + darkness + "\r\n[network]\r\nprinterip=" + host
        + "\r\nprinterport=" + port + "\r\n";
}

QByteArray Config(const QByteArray &mode, quint16 port)
{
    return Config(mode, "127.0.0.1", QByteArray::number(port));
}

} // namespace testfiles
