#include "Winsock.h"

#include "Messages.h"
#include "PrintError.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

// How long a closed connection may take to hand its last bytes to a printer
// that reads slowly, before it is dropped.
constexpr int DrainTimeoutMs = 60000;

PrintError socketFailure(const QTcpSocket &socket, const QString &host, qint32 port)
{
    int number = PrintError::WrongState;
    QString cause = Messages::CauseOther();
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        number = PrintError::ConnectionRefused;
        cause = Messages::CauseRefused();
        break;
    case QAbstractSocket::HostNotFoundError:
        number = PrintError::HostNotFound;
        cause = Messages::CauseHostNotFound();
        break;
    case QAbstractSocket::RemoteHostClosedError:
        number = PrintError::ConnectionReset;
        cause = Messages::CauseRemoteClosed();
        break;
    case QAbstractSocket::SocketTimeoutError:
        number = PrintError::TimedOut;
        cause = Messages::CauseTimedOut();
        break;
    case QAbstractSocket::NetworkError:
        number = PrintError::NetworkUnreachable;
        cause = Messages::CauseNetwork();
        break;
    case QAbstractSocket::SocketAccessError:
        cause = Messages::CauseAccess();
        break;
    default:
        break;
    }
    return PrintError(number, Messages::SendFailed(host, port, cause, socket.errorString()));
}

void checkPort(qint32 port)
{
    if (port < 0 || port > 65535)
        throw PrintError(PrintError::InvalidPropertyValue, Messages::InvalidPort(QString::number(port)));
}

} // namespace

Winsock::Winsock(QObject *parent) : QObject(parent) {}

Winsock::~Winsock()
{
    try {
        Close();
    } catch (const PrintError &) {
        // Nobody is left to tell; the connection is closed all the same.
    }
}

void Winsock::setRemotePort(qint32 port)
{
    checkPort(port);
    m_remotePort = port;
}

void Winsock::setLocalPort(qint32 port)
{
    checkPort(port);
    m_localPort = port;
}

QAbstractSocket::SocketState Winsock::state() const
{
    return m_socket ? m_socket->state() : QAbstractSocket::UnconnectedState;
}

void Winsock::Connect()
{
    if (m_socket)
        throw PrintError(PrintError::InvalidOperation, Messages::SocketBusy());
    if (m_remoteHost.isEmpty())
        throw PrintError(PrintError::InvalidPropertyValue, Messages::EmptyHost());
    if (m_remotePort == 0)
        throw PrintError(PrintError::InvalidPropertyValue, Messages::InvalidPort(QStringLiteral("0")));

    auto *socket = new QTcpSocket(this);
    if (m_localPort != 0 && !socket->bind(QHostAddress::Any, quint16(m_localPort))) {
        const QString detail = socket->errorString();
        delete socket;
        throw PrintError(PrintError::AddressInUse, Messages::LocalPortUnusable(m_localPort, detail));
    }
    m_socket = socket;
    m_unwritten = 0;
    m_lostReason.clear();
    connect(socket, &QTcpSocket::bytesWritten, this, &Winsock::onBytesWritten);
    connect(socket, &QTcpSocket::errorOccurred, this, &Winsock::onErrorOccurred);
    socket->connectToHost(m_remoteHost, quint16(m_remotePort));
}

void Winsock::SendData(const QString &text)
{
    if (!m_socket)
        throw PrintError(PrintError::WrongState, Messages::NotConnectedInTime(m_remoteHost, m_remotePort));
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        if (m_socket->error() != QAbstractSocket::UnknownSocketError)
            throw socketFailure(*m_socket, m_remoteHost, m_remotePort);
        throw PrintError(PrintError::WrongState, Messages::NotConnectedInTime(m_remoteHost, m_remotePort));
    }
    const QByteArray bytes = text.toLocal8Bit();
    const qint64 written = m_socket->write(bytes);
    if (written != bytes.size())
        throw socketFailure(*m_socket, m_remoteHost, m_remotePort);
    m_unwritten += written;
}

void Winsock::Close()
{
    if (!m_socket)
        return;
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    const QString lost = std::exchange(m_lostReason, QString());
    m_unwritten = 0;
    drain(socket);
    if (!lost.isEmpty())
        throw PrintError(PrintError::ConnectionReset, Messages::SendIncomplete(m_remoteHost, m_remotePort, lost));
}

void Winsock::drain(QTcpSocket *socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        delete socket;
        return;
    }
    // The application, not this control, keeps the draining connection, so
    // that closing the window right after a print does not cut the job off.
    socket->setParent(QCoreApplication::instance());
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    QTimer::singleShot(DrainTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

void Winsock::onBytesWritten(qint64 bytes)
{
    m_unwritten -= bytes;
}

void Winsock::onErrorOccurred(QAbstractSocket::SocketError)
{
    if (m_unwritten > 0 && m_lostReason.isEmpty())
        m_lostReason = m_socket->errorString();
}
