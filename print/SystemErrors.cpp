#include "SystemErrors.h"

#include "Messages.h"

#include <QHostInfo>
#include <QMetaEnum>

namespace SystemErrors {
namespace {

using Messages::SystemReason;

QString systemText(const std::string &text)
{
    return QString::fromLocal8Bit(text.c_str());
}

// Qt's name of its error code, as its documentation spells it.
QString qtCode(QAbstractSocket::SocketError error)
{
    return QLatin1String("QAbstractSocket::")
           + QLatin1String(QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(error));
}

} // namespace

QString Detail(const platform::SocketError &error)
{
    const QString code = QString::fromLatin1(error.code.c_str());
    switch (error.kind) {
    case platform::SocketError::Refused:
        return Messages::SystemDetail(SystemReason::ConnectionRefused, code);
    case platform::SocketError::Unreachable:
        return Messages::SystemDetail(SystemReason::Unreachable, code);
    case platform::SocketError::TimedOut:
        return Messages::SystemDetail(SystemReason::TimedOut, code);
    case platform::SocketError::Reset:
        return Messages::SystemDetail(SystemReason::ConnectionReset, code);
    default:
        return Messages::SystemDetail(systemText(error.detail), code);
    }
}

QString Detail(const platform::DeviceError &error)
{
    const QString code = QString::fromLatin1(error.code.c_str());
    switch (error.kind) {
    case platform::DeviceError::NotFound:
        return Messages::SystemDetail(SystemReason::DeviceNotFound, code);
    case platform::DeviceError::AccessDenied:
        return Messages::SystemDetail(SystemReason::AccessDenied, code);
    case platform::DeviceError::Busy:
        return Messages::SystemDetail(SystemReason::DeviceBusy, code);
    case platform::DeviceError::NotReady:
        return Messages::SystemDetail(SystemReason::NotReady, code);
    case platform::DeviceError::PaperOut:
        return Messages::SystemDetail(SystemReason::PaperOut, code);
    case platform::DeviceError::Closed:
        return Messages::SystemDetail(SystemReason::PipeClosed, code);
    default:
        return Messages::SystemDetail(systemText(error.detail), code);
    }
}

QString Detail(QAbstractSocket::SocketError error, const QString &qtText)
{
    const QString code = qtCode(error);
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return Messages::SystemDetail(SystemReason::ConnectionRefused, code);
    case QAbstractSocket::RemoteHostClosedError:
        return Messages::SystemDetail(SystemReason::ClosedByPeer, code);
    case QAbstractSocket::SocketTimeoutError:
        return Messages::SystemDetail(SystemReason::TimedOut, code);
    case QAbstractSocket::NetworkError:
        return Messages::SystemDetail(SystemReason::Unreachable, code);
    default:
        return Messages::SystemDetail(qtText, code);
    }
}

QString Detail(const QHostInfo &lookup)
{
    // NoError with no address: the name exists but has none.
    if (lookup.error() != QHostInfo::UnknownError)
        return Messages::SystemDetail(SystemReason::HostNotFound, QStringLiteral("QHostInfo::HostNotFound"));
    return Messages::SystemDetail(lookup.errorString(), QStringLiteral("QHostInfo::UnknownError"));
}

} // namespace SystemErrors
