#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
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

QStringList Tree(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
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
