#pragma once

// Files that tests and benchmarks set up: a file written whole, a Config.ini
// for given settings, and a program folder holding it and a parallel port.

#include "PrintCommand.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testfiles {

// Writes `bytes` to `path`, replacing it; stops the test program when it cannot.
void Write(const QString &path, const QByteArray &bytes);
// The whole file, or an empty array when it cannot be read.
QByteArray Read(const QString &path);
// Every file under `folder`, as paths relative to it, sorted.
QStringList Tree(const QString &folder);

// Config.ini text with CR LF line ends for the given values, each written as it stands.
QByteArray Config(const QByteArray &mode, const QByteArray &host, const QByteArray &port,
                  const QByteArray &darkness = "15");
// The same for a printer on 127.0.0.1.
QByteArray Config(const QByteArray &mode, quint16 port);

// A temporary program folder: Config.ini and the file that stands in for the
// parallel port ("lp0", not created until asked for).
class ProgramFolder
{
public:
    QString path() const { return m_dir.path(); }
    QString device() const { return m_dir.filePath(QStringLiteral("lp0")); }
    PrintEnvironment environment(int deviceTimeoutMs = 300) const { return {path(), device(), deviceTimeoutMs}; }
    void writeConfig(const QByteArray &text) const { Write(m_dir.filePath(QStringLiteral("Config.ini")), text); }
    void createDevice() const { Write(device(), QByteArray()); }
    QByteArray deviceBytes() const { return Read(device()); }

private:
    QTemporaryDir m_dir;
};

} // namespace testfiles
