#pragma once

#include "Delivery.h"
#include "Platform.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QHostInfo;
class QSocketNotifier;
class QTcpSocket;

// The TCP client of the main window, shaped after the classic socket
// control: set the remote host and port, Connect, SendData, Close. Connect
// returns at once; the name lookup and the one connection attempt go on while
// events are dispatched (modMain::PumpWait). A connection that fails is never
// tried again behind the caller's back, and a printer that resets at once is
// reported as such. Failures throw PrintError with a description that names
// the printer and what happened.
class Winsock : public QObject
{
    Q_OBJECT

public:
    explicit Winsock(QObject *parent = nullptr);
    ~Winsock() override; // closes as Close(0) does

    QString remoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString &host) { m_remoteHost = host; }
    qint32 remotePort() const { return m_remotePort; }
    void setRemotePort(qint32 port) { m_remotePort = port; } // the caller checked 1..65535
    // The system always chooses the local port; 0 is the only value taken.
    void setLocalPort(qint32 port) { Q_ASSERT(port == 0); }

    // Starts the name lookup (for a name) and the connection. Throws when a
    // connection is still open or no host is set.
    void Connect();

    // True while the name lookup or the connection attempt is under way and
    // nothing has failed yet.
    bool isSettingUp() const;

    // Hands every byte of `text`, in the system's 8-bit encoding, to the
    // connection. Throws when the connection is not up, saying why.
    void SendData(const QString &text);

    // Ends the request's connection. With `deliveryTimeoutMs` > 0, first
    // waits, dispatching events, until the printer has acknowledged every byte
    // sent, the connection failed, or the time passed; throws when the printer
    // did not take the whole job (the rest keeps going out in the background
    // for a while). With 0 (the error path), closes at once and never throws:
    // a pending attempt is dropped, an open connection still delivers what it
    // holds. Does nothing when nothing is open.
    void Close(int deliveryTimeoutMs = 0);

    QAbstractSocket::SocketState state() const;

private:
    struct Failure
    {
        platform::SocketError::Kind kind = platform::SocketError::None;
        bool lookup = false;  // the name could not be resolved
        QString detail;
    };

    void onLookedUp(const QHostInfo &info);
    void connectNext();
    void onConnectReady();
    void onSocketError();
    void dropAttempt();
    QString printer() const;
    QString failureText() const;

    QString m_remoteHost;
    qint32 m_remotePort = 0;

    int m_lookupId = -1;                 // a name lookup under way
    QList<QHostAddress> m_addresses;     // still to try, after a refusal
    platform::SocketHandle m_attempt = platform::NoSocket;
    QSocketNotifier *m_writable = nullptr;
    QSocketNotifier *m_failed = nullptr;
    QTcpSocket *m_socket = nullptr;      // the connection, once up
    QPointer<Delivery> m_delivery;       // the connection, once the job is on its way
    std::shared_ptr<const Delivery::Outcome> m_outcome; // what became of it, kept when it is gone
    Failure m_failure;
    QElapsedTimer m_since;               // since Connect
};
