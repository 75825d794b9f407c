#pragma once

// Every text of the print pipeline that a person reads, worded once. The
// message box shows them as they stand; the system's own detail, where there
// is one, goes on a line of its own below the sentence that says what failed.

#include <QString>

namespace Messages {

QString AppTitle();       // caption of every message box
QString OkButton();       // the message box's one button
QString PrintSucceeded(); // after a network job went out
QString UnknownMode();    // prtmod names neither link

QString InvalidPort(const QString &value);
QString EmptyHost();
QString SocketBusy();
QString LocalPortUnusable(qint32 port, const QString &detail);
QString SendFailed(const QString &host, qint32 port, const QString &cause, const QString &detail);
QString NotConnectedInTime(const QString &host, qint32 port);
QString SendIncomplete(const QString &host, qint32 port, const QString &detail);

QString DeviceMissing(const QString &device, const QString &detail);
QString DeviceAccessDenied(const QString &device, const QString &detail);
QString DeviceNotReady(const QString &device, const QString &detail);
QString DeviceOpenFailed(const QString &device, const QString &detail);
QString DeviceWriteFailed(const QString &device, const QString &detail);
QString DeviceWriteTimedOut(const QString &device, int seconds);
QString DeviceCloseFailed(const QString &device, const QString &detail);

QString Unexpected(const QString &detail);

// Likely causes of socket failures, for SendFailed's `cause`.
QString CauseRefused();
QString CauseHostNotFound();
QString CauseRemoteClosed();
QString CauseTimedOut();
QString CauseNetwork();
QString CauseAccess();
QString CauseOther();

} // namespace Messages
