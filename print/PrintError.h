#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A failure on the way to the printer: a number and a description that a
// person can read. Thrown by the settings, the socket and the parallel port,
// and caught by the print command's one handler, which shows the description.
class PrintError : public std::exception
{
public:
    // The numbers follow the classic runtime and socket-control errors.
    enum Number : int {
        Overflow = 6,
        TypeMismatch = 13,
        FileNotFound = 53,
        DeviceIoError = 57,
        DeviceUnavailable = 68,
        PermissionDenied = 70,
        InvalidPropertyValue = 380,
        AddressInUse = 10048,
        NetworkUnreachable = 10051,
        ConnectionReset = 10054,
        TimedOut = 10060,
        ConnectionRefused = 10061,
        HostNotFound = 11001,
        WrongState = 40006,
        InvalidOperation = 40020,
    };

    PrintError(int number, const QString &description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
