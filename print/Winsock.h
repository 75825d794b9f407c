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
#include <QStringList>

#include <functional>
#include <memory>

class QHostInfo;
class QSocketNotifier;
class QTcpSocket;
class QTimer;

// The TCP client of the main window, shaped after the classic socket
// control: set the remote host and port, Connect, SendData, Close. Connect
// returns at once; the name lookup and the connection attempts go on while
// events are dispatched (modMain::PumpWait). A name's addresses are tried one
// at a time, in the resolver's order, each until it refuses, fails or does
// not answer within the time-out; a connection once up is never made again,
// and a printer that resets at once is reported as such. Failures throw
// PrintError with a description that names the printer and what happened
// (for a name with several addresses, what the last one said).
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
    // How long the name lookup, and then each address, may take to answer.
    void setTimeout(int ms) { m_timeoutMs = ms; }

    // The addresses of a name, in order; stands in for the system's resolver
    // where one is set (the tests), none meaning that the name is unknown.
    using Resolver = std::function<QList<QHostAddress>(const QString &name)>;
    void setResolver(Resolver resolver) { m_resolver = std::move(resolver); }

    // Starts the name lookup (for a name) and the connection. Throws when a
    // connection is still open or no host is set.
    void Connect();

    // True while the name lookup or a connection attempt is under way. Ends
    // on its own, within the time-out for the lookup and for each address.
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
        bool lookup = false;  // the name could not be resolved ...
        bool lookupTimedOut = false; // ... or not in time
        QString detail;
    };

    void onLookedUp(const QHostInfo &info);
    void lookedUp(const QList<QHostAddress> &addresses, const QString &detail);
    void connectNext();
    void onConnectReady();
    void onTimeout();
    void onSocketError();
    void dropAttempt();
    void fail(platform::SocketError::Kind kind, const QString &detail);
    QString printer() const;
    QString failureText() const;

    QString m_remoteHost;
    qint32 m_remotePort = 0;
    int m_timeoutMs = 5000;
    Resolver m_resolver;

    int m_lookupId = -1;                 // a name lookup under way
    QList<QHostAddress> m_addresses;     // still to try
    QStringList m_tried;                 // tried so far, for the message
    QTimer *m_timer = nullptr;           // the lookup's or the attempt's time-out
    platform::SocketHandle m_attempt = platform::NoSocket;
    QSocketNotifier *m_writable = nullptr;
    QSocketNotifier *m_failed = nullptr;
    QTcpSocket *m_socket = nullptr;      // the connection, once up
    QPointer<Delivery> m_delivery;       // the connection, once the job is on its way
    std::shared_ptr<const Delivery::Outcome> m_outcome; // what became of it, kept when it is gone
    Failure m_failure;
    QElapsedTimer m_since;               // since Connect
};
