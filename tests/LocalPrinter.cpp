#include "LocalPrinter.h"

#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

LocalPrinter::LocalPrinter(Behaviour behaviour, QObject *parent)
    : QObject(parent), m_behaviour(behaviour)
{
    if (behaviour == NeverReads) {
        // The system completes the connection and buffers the job; nobody ever
        // accepts or reads it.
        m_rawListener = ::socket(AF_INET, SOCK_STREAM, 0);
        // A small window, so that a large job stays queued on the sender's side.
        const int window = 4096;
        ::setsockopt(m_rawListener, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_rawListener < 0 || ::bind(m_rawListener, reinterpret_cast<sockaddr *>(&address), length) < 0
            || ::listen(m_rawListener, 8) < 0
            || ::getsockname(m_rawListener, reinterpret_cast<sockaddr *>(&address), &length) < 0)
            qFatal("cannot listen on 127.0.0.1");
        m_port = ntohs(address.sin_port);
        return;
    }
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1: %s", qPrintable(m_server.errorString()));
    m_port = m_server.serverPort();
    connect(&m_server, &QTcpServer::newConnection, this, &LocalPrinter::accept);
}

LocalPrinter::~LocalPrinter()
{
    hangUp();
}

void LocalPrinter::hangUp()
{
    if (m_rawListener >= 0)
        ::close(m_rawListener);
    m_rawListener = -1;
}

void LocalPrinter::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        const qsizetype index = m_jobs.size();
        m_jobs.append(QByteArray());
        if (m_behaviour == ResetsOnAccept) {
            // Linger 0: the close sends a reset instead of an orderly end.
            const linger abortive = {1, 0};
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                         sizeof abortive);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_behaviour == ClosesOnAccept) {
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, index] {
            m_jobs[index] += socket->readAll();
            emit bytesReceived();
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, index] {
            m_jobs[index] += socket->readAll();
            ++m_finished;
            socket->deleteLater();
        });
        emit connectionAccepted();
    }
}

quint16 LocalPrinter::freedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
