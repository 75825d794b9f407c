#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure on the way to the printer, with a description that a person can
// read: what failed, where, and the system's reason. Thrown by the settings,
// the socket and the parallel port, and caught by the print command's one
// handler, which shows the description.
class PrintError : public std::exception
{
public:
    explicit PrintError(const QString &description);

    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};
