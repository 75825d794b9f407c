#include "LocalPrinter.h"

#include <QTcpSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A small receive window, so that a large job waits on the sender's side.
constexpr int SmallWindow = 4096;

void resetOnClose(QTcpSocket *socket)
{
    const linger abortive = {1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    socket->abort();
    socket->deleteLater();
}

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

} // namespace

LocalPrinter::LocalPrinter(Behaviour behaviour, int amount, QObject *parent)
    : QObject(parent), m_behaviour(behaviour), m_amount(amount)
{
    const bool queueFull = behaviour == NeverAnswers || behaviour == AnswersLate;
    listenRaw(queueFull ? 0 : behaviour == NeverReads ? 8 : 16);
    if (queueFull)
        fillQueue();
    if (behaviour == AnswersLate)
        QTimer::singleShot(amount, this, &LocalPrinter::startServing);
    else if (!queueFull && behaviour != NeverReads)
        startServing();
}

LocalPrinter::~LocalPrinter()
{
    for (int fd : m_held)
        ::close(fd);
    if (m_rawListener >= 0 && !m_server.isListening())
        ::close(m_rawListener);
}

void LocalPrinter::listenRaw(int backlog)
{
    m_rawListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_behaviour != Records)
        ::setsockopt(m_rawListener, SOL_SOCKET, SO_RCVBUF, &SmallWindow, sizeof SmallWindow);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (m_rawListener < 0 || ::bind(m_rawListener, reinterpret_cast<sockaddr *>(&address), length) < 0
        || ::listen(m_rawListener, backlog) < 0
        || ::getsockname(m_rawListener, reinterpret_cast<sockaddr *>(&address), &length) < 0)
        qFatal("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
}

// Connects to itself until the system stops completing connections: the
// queue is full, and new connection requests are dropped unanswered.
void LocalPrinter::fillQueue()
{
    const sockaddr_in address = loopback(m_port);
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        sockaddr_in local = {};
        socklen_t length = sizeof local;
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length);
        m_held << fd;
        m_heldPorts << ntohs(local.sin_port);
    }
    ::usleep(20000); // the handshakes of those that fit complete
}

void LocalPrinter::startServing()
{
    if (!m_server.setSocketDescriptor(m_rawListener))
        qFatal("cannot serve on 127.0.0.1: %s", qPrintable(m_server.errorString()));
    connect(&m_server, &QTcpServer::newConnection, this, &LocalPrinter::accept);
    accept();
}

void LocalPrinter::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        if (m_heldPorts.contains(socket->peerPort())) { // one of those that filled the queue: not a client
            socket->deleteLater();
            continue;
        }
        const qsizetype index = m_jobs.size();
        m_jobs.append(QByteArray());
        if (m_behaviour == ResetsOnAccept) {
            resetOnClose(socket);
        } else if (m_behaviour == ClosesOnAccept) {
            socket->disconnectFromHost();
            socket->deleteLater();
        } else {
            serve(socket, index);
            emit connectionAccepted();
        }
    }
}

void LocalPrinter::serve(QTcpSocket *socket, qsizetype index)
{
    const auto take = [this, socket, index](qint64 most) {
        const QByteArray got = most < 0 ? socket->readAll() : socket->read(most);
        m_jobs[index] += got;
        if (!got.isEmpty()) // a slow reader's tick may find nothing yet
            emit bytesReceived();
    };
    if (m_behaviour == ReadsSlowly) {
        socket->setReadBufferSize(m_amount);
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [take, this] { take(m_amount); });
        timer->start(20);
    } else if (m_behaviour == ResetsAfter) {
        socket->setReadBufferSize(m_amount);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, index, take] {
            take(m_amount - m_jobs[index].size());
            if (m_jobs[index].size() >= m_amount)
                resetOnClose(socket);
        });
    } else {
        connect(socket, &QTcpSocket::readyRead, this, [take] { take(-1); });
    }
    connect(socket, &QTcpSocket::disconnected, this, [this, socket, index] {
        if (m_behaviour != ResetsAfter)
            m_jobs[index] += socket->readAll();
        ++m_finished;
        socket->deleteLater();
    });
}

quint16 LocalPrinter::freedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    return server.serverPort(); // and closes it
}
