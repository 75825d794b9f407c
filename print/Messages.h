#pragma once

// Every text of the print pipeline that a person reads, worded once. The
// message box shows them as they stand; the system's detail, where there is
// one, goes on a line of its own below the sentence that says what failed.

#include <QString>

namespace Messages {

// The system's detail of a failure. An error the program knows is said in
// its own words, with the system's code for a technician to search for
// ("对方拒绝连接（errno 111）", "…（WSAECONNREFUSED）"); any other keeps the
// system's own text, with its code.
enum class SystemReason {
    ConnectionRefused, Unreachable, TimedOut, ConnectionReset, ClosedByPeer, HostNotFound,
    DeviceNotFound, AccessDenied, DeviceBusy, PaperOut, NotReady, PipeClosed
};
QString SystemDetail(SystemReason reason, const QString &code);
QString SystemDetail(const QString &systemText, const QString &code);

QString AppTitle();       // caption of every message box
QString OkButton();       // the message box's one button
QString PrintSucceeded(); // after the printer acknowledged the whole network job
QString UnknownMode();    // prtmod names neither link

// Settings and the network printer; `printer` is "host:port".
QString InvalidPort(const QString &value);
QString EmptyHost();
QString SocketBusy();
QString HostNotFound(const QString &host, const QString &detail);
QString HostLookupTimedOut(const QString &host, int seconds);
QString Refused(const QString &printer, const QString &detail);
QString Unreachable(const QString &printer, const QString &detail);
QString NoAnswer(const QString &printer, int seconds);
QString Dropped(const QString &printer, const QString &detail);
QString ConnectFailed(const QString &printer, const QString &detail);
QString DeliveryBroken(const QString &printer, qint64 taken, qint64 total, const QString &detail);
QString ResetAfterDelivery(const QString &printer, qint64 total, const QString &detail);
QString DeliveryStalled(const QString &printer, qint64 taken, qint64 total, int seconds);
// Below the last address's failure, when a name had several.
QString AddressesTried(int count, const QString &addresses);

// The parallel or USB printer device.
QString DeviceMissing(const QString &device, const QString &detail);
QString DeviceAccessDenied(const QString &device, const QString &detail);
QString DeviceAccessDeniedGroup(const QString &device, const QString &user, const QString &detail);
QString DeviceNotReady(const QString &device, const QString &detail);
QString DeviceBusy(const QString &device, const QString &detail);
QString DeviceGone(const QString &device, const QString &detail);
QString DevicePaperOut(const QString &device, const QString &detail);
QString DeviceOpenFailed(const QString &device, const QString &detail);
QString DeviceWriteFailed(const QString &device, const QString &detail);
QString DeviceWriteTimedOut(const QString &device, int seconds);
QString DeviceCloseFailed(const QString &device, const QString &detail);

QString Unexpected(const QString &detail);

} // namespace Messages
