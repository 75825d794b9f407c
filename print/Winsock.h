#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>

class QTcpSocket;

// The TCP client of the main window, shaped after the classic socket
// control: set the remote host and port (and the local port, 0 for any),
// Connect, SendData, Close. Connect returns at once; the connection comes up
// while events are dispatched (modMain::PumpWait). Failures throw PrintError
// with a description that names the printer and the system's reason.
class Winsock : public QObject
{
    Q_OBJECT

public:
    explicit Winsock(QObject *parent = nullptr);
    ~Winsock() override; // closes as Close does, quietly

    QString remoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString &host) { m_remoteHost = host; }

    qint32 remotePort() const { return m_remotePort; }
    void setRemotePort(qint32 port); // 0..65535
    qint32 localPort() const { return m_localPort; }
    void setLocalPort(qint32 port); // 0..65535, 0: the system chooses

    // Starts a connection to the remote host (an address or a host name).
    // Throws when one is still open, or when the host or port is missing.
    void Connect();

    // Hands every byte of `text`, in the system's 8-bit encoding, to the
    // connection. Throws when the connection is not up, with its reason.
    void SendData(const QString &text);

    // Ends the connection gracefully: bytes already handed over still go out
    // (the old connection drains on its own, for up to a minute), and the
    // control is ready for the next Connect at once. Does nothing when nothing
    // is open. Throws when the connection broke before the bytes of SendData
    // had left this machine; the control is closed all the same.
    void Close();

    QAbstractSocket::SocketState state() const;

private:
    void onBytesWritten(qint64 bytes);
    void onErrorOccurred(QAbstractSocket::SocketError error);
    static void drain(QTcpSocket *socket);

    QTcpSocket *m_socket = nullptr; // the open connection, if any
    QString m_remoteHost;
    qint32 m_remotePort = 0;
    qint32 m_localPort = 0;
    qint64 m_unwritten = 0;   // handed over by SendData, not yet taken by the system
    QString m_lostReason;     // set when the connection broke with bytes unwritten
};
