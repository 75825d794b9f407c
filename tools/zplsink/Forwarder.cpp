#include "Forwarder.h"

#include "Delivery.h"
#include "SinkTexts.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QTcpSocket>

#include <cstdio>

namespace {

// With nothing listening on a port of this machine, a connection to it may
// get that very port as its own and connect to itself (TCP's simultaneous
// open): what it writes would come back, and count as taken.
bool ConnectedToItself(const QTcpSocket &socket)
{
    return socket.localPort() == socket.peerPort() && socket.localAddress() == socket.peerAddress();
}

} // namespace

Forwarder::Forwarder(const QString &host, quint16 port, const QString &spool, QObject *parent)
    : QObject(parent), m_host(host), m_port(port), m_spool(spool)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &Forwarder::sendNext);
}

Forwarder::~Forwarder() = default;

bool Forwarder::start(QString *error)
{
    if (!QDir().mkpath(m_spool.path())) {
        *error = SinkTexts::CannotCreateFolder(m_spool.path());
        return false;
    }
    // Left by an earlier run: sent first, in their order.
    const QStringList left = m_spool.entryList({QStringLiteral("*.zpl")}, QDir::Files, QDir::Name);
    for (const QString &name : left) {
        m_queue.push_back(m_spool.filePath(name));
        m_next = qMax(m_next, name.section(QLatin1Char('.'), 0, 0).toInt() + 1);
    }
    if (!left.isEmpty())
        say(SinkTexts::SpoolLeft(int(left.size()), m_spool.path()));
    QTimer::singleShot(0, this, &Forwarder::sendNext);
    return true;
}

std::unique_ptr<QFile> Forwarder::openJob()
{
    auto file = std::make_unique<QFile>(m_spool.filePath(QStringLiteral("%1.zpl").arg(m_next++, 8, 10, QLatin1Char('0'))));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        say(SinkTexts::ForwardFailed(printer(), SinkTexts::CannotSave(file->fileName(), file->errorString())));
        return nullptr;
    }
    return file;
}

void Forwarder::send(const QString &spooled)
{
    m_queue.push_back(spooled);
    if (!m_retry.isActive())
        sendNext();
}

// The oldest spooled job to the printer; the next once the printer has taken it.
void Forwarder::sendNext()
{
    if (m_sending || m_queue.empty())
        return;
    QFile file(m_queue.front());
    if (!file.open(QIODevice::ReadOnly)) {
        failed(SinkTexts::CannotRead(file.fileName(), file.errorString()));
        return;
    }
    const QByteArray job = file.readAll();
    m_sending = true;
    auto *socket = new QTcpSocket(this);
    auto *timeout = new QTimer(socket);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, socket, [this, socket] {
        failed(socket->errorString().isEmpty() ? QStringLiteral("连接超时 / no connection") : socket->errorString());
        socket->deleteLater();
    });
    connect(socket, &QTcpSocket::errorOccurred, socket, [this, socket, timeout] {
        if (socket->state() == QAbstractSocket::ConnectedState || !timeout->isActive())
            return;     // a connected socket's errors are Delivery's
        timeout->stop();
        failed(socket->errorString());
        socket->deleteLater();
    });
    connect(socket, &QTcpSocket::connected, socket, [this, socket, timeout, job] {
        timeout->stop();
        if (ConnectedToItself(*socket)) {
            failed(QStringLiteral("没有打印机在听 / no printer listens there"));
            socket->deleteLater();
            return;
        }
        socket->disconnect();   // from here on the delivery watches it
        socket->setParent(nullptr);
        socket->write(job);
        auto *delivery = new Delivery(socket, job.size());
        const std::shared_ptr<const Delivery::Outcome> outcome = delivery->outcome();
        delivery->finish();
        auto *watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this, watch, outcome] {
            if (outcome->state == Delivery::Outcome::Delivering)
                return;
            watch->deleteLater();
            if (outcome->state == Delivery::Outcome::Failed) {
                failed(outcome->detail.isEmpty() ? QStringLiteral("打印机没有收完 / the printer did not take it all")
                                                 : outcome->detail);
                return;
            }
            QFile::remove(m_queue.front());
            m_queue.pop_front();
            m_sending = false;
            sendNext();
        });
        watch->start(20);
    });
    timeout->start(ConnectMs);
    socket->connectToHost(m_host, m_port);
}

void Forwarder::failed(const QString &why)
{
    m_sending = false;
    say(SinkTexts::ForwardFailed(printer(), why));
    m_retry.start(RetryMs);
}

void Forwarder::ask(const QByteArray &query, const QByteArray &own, std::function<void(const QByteArray &)> reply)
{
    m_questions.push_back({query, own, std::move(reply)});
    askNext();
}

// One question at a time, so that answers go back in the order asked.
void Forwarder::askNext()
{
    if (m_asking || m_questions.empty())
        return;
    m_asking = true;
    auto *socket = new QTcpSocket(this);
    auto answered = std::make_shared<QByteArray>();
    const int blocks = qMax<qsizetype>(1, m_questions.front().own.count('\x03'));
    const auto done = [this, socket, answered](bool printerAnswered) {
        if (!m_asking || socket->property("done").toBool())
            return;
        socket->setProperty("done", true);
        Question question = std::move(m_questions.front());
        m_questions.pop_front();
        if (!printerAnswered)
            say(SinkTexts::AnsweredForPrinter(printer(), QString::fromLatin1(question.query)));
        question.reply(printerAnswered ? *answered : question.own);
        socket->abort();
        socket->deleteLater();
        m_asking = false;
        askNext();
    };
    connect(socket, &QTcpSocket::connected, socket, [socket, done, query = m_questions.front().query] {
        if (ConnectedToItself(*socket))
            done(false);
        else
            socket->write(query);
    });
    connect(socket, &QTcpSocket::readyRead, socket, [socket, answered, blocks, done] {
        *answered += socket->readAll();
        if (answered->count('\x03') >= blocks)
            done(true);
    });
    connect(socket, &QTcpSocket::errorOccurred, socket, [answered, done] { done(!answered->isEmpty()); });
    QTimer::singleShot(AnswerMs, socket, [answered, done] { done(!answered->isEmpty()); });
    socket->connectToHost(m_host, m_port);
}

void Forwarder::say(const QString &text)
{
    std::printf("%s %s\n", SinkTexts::Timestamp(QDateTime::currentDateTime()).toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stdout);
    emit notice(text);
}
