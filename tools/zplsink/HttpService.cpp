// The HTTP service on Qt's HTTP server (a build with Qt HttpServer).

#include "HttpService.h"

#include "HttpLimits.h"
#include "LabelService.h"
#include "RequestGuard.h"
#include "SinkTexts.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>

namespace {

using namespace HttpLimits;

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    default: return "OTHER";
    }
}

// The request target as sent, still percent-encoded.
QByteArray targetOf(const QUrl &url)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    if (url.hasFragment())
        target += '#' + url.fragment(QUrl::FullyEncoded).toLatin1();
    return target;
}

class LabelHttpService;

// Qt's server, answering every complete request through the service.
class Server : public QAbstractHttpServer
{
public:
    explicit Server(LabelHttpService *service) : m_service(service) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    LabelHttpService *m_service;
};

// The listening socket: a guard on every connection before Qt's server has it.
class GuardedServer : public QTcpServer
{
public:
    explicit GuardedServer(LabelHttpService *service);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    LabelHttpService *m_service;
};

class LabelHttpService : public HttpService
{
public:
    explicit LabelHttpService(QObject *parent) : HttpService(parent), m_server(this), m_tcp(new GuardedServer(this))
    {
        connect(&m_clock, &QTimer::timeout, this, [this] {
            for (RequestGuard *guard : QSet<RequestGuard *>(m_guards))
                guard->check();
        });
        m_clock.start(500);
    }

    bool listen(const QHostAddress &address, quint16 port, QString *error)
    {
        if (!m_tcp->listen(address, port)) {
            *error = m_tcp->errorString();
            return false;
        }
        m_server.bind(m_tcp);
        return true;
    }

    quint16 port() const override { return m_tcp->serverPort(); }

    // A new connection, guarded. Past MaxConnections the one that has waited
    // longest for a request gives way (so that slow clients cannot lock out
    // the others), or else the new one is refused.
    void guard(QTcpSocket *socket, bool *keep)
    {
        auto *guard = new RequestGuard(socket, &m_budget);
        connect(guard, &QObject::destroyed, this, [this, guard] { m_guards.remove(guard); });
        connect(guard, &RequestGuard::refused, this, [this, guard](int status, const QString &text) {
            report(guard->peer(), QByteArray(), QByteArray(), status, text, ServiceAnswer(), 0);
        });
        RequestGuard *longest = nullptr;
        if (m_guards.size() >= MaxConnections) {
            for (RequestGuard *g : std::as_const(m_guards))
                if (g->waiting() >= 0 && (!longest || g->waiting() > longest->waiting()))
                    longest = g;
        }
        const QString busy = QStringLiteral("连接太多 / busy: more than %1 connections at once, try again")
                                 .arg(MaxConnections);
        *keep = m_guards.size() < MaxConnections || longest;
        m_guards.insert(guard);     // a refused one too, till it has lingered
        if (longest)
            longest->refuse(503, busy);
        if (!*keep)
            guard->refuse(503, busy);
    }

    // Renders on a worker thread, so that the connections go on meanwhile;
    // answers when it is done, if the client is still there.
    void answer(const QHttpServerRequest &request, QTcpSocket *socket, QHttpServerResponder responder)
    {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        auto reply = std::make_shared<QHttpServerResponder>(std::move(responder));
        const QPointer<QTcpSocket> client(socket);
        ServiceRequest in{methodName(request.method()), targetOf(request.url()), request.headers(), request.body()};
        qint64 unsent = 0;
        for (const RequestGuard *g : std::as_const(m_guards))
            unsent += qobject_cast<QTcpSocket *>(g->parent())->bytesToWrite();
        if (unsent > MaxUnsentBytes || m_working >= MaxWorking) {
            finish(client, *reply, in, ServiceError(503, QStringLiteral("服务忙 / busy: too many requests at once, try "
                                                                        "again")), *clock);
            return;
        }
        ++m_working;
        m_workers.start([this, in, reply, client, clock] {
            ServiceAnswer out = AnswerLabelRequest(in);
            QMetaObject::invokeMethod(
                this,
                [this, in, reply, client, clock, out = std::move(out)]() mutable {
                    --m_working;
                    finish(client, *reply, in, std::move(out), *clock);
                },
                Qt::QueuedConnection);
        });
    }

private:
    void finish(const QPointer<QTcpSocket> &client, QHttpServerResponder &responder, const ServiceRequest &in,
                ServiceAnswer out, const QElapsedTimer &clock)
    {
        if (!client)
            return;     // it went away
        RequestGuard *guard = client->findChild<RequestGuard *>(QString(), Qt::FindDirectChildrenOnly);
        responder.writeStatusLine(QHttpServerResponder::StatusCode(out.status));
        if (!out.contentType.isEmpty())
            responder.writeHeader("Content-Type", out.contentType);
        responder.writeHeader("Content-Length", QByteArray::number(out.body.size()));
        for (const auto &header : std::as_const(out.headers))
            responder.writeHeader(header.first, header.second);
        responder.writeBody(out.body);
        if (guard)
            guard->answered();
        const QByteArray line = out.status >= 400 ? out.body.trimmed() : QByteArray();
        report(guard ? guard->peer() : QString(), in.method, in.path, out.status, QString::fromUtf8(line),
               std::move(out), clock.nsecsElapsed() / 1e6);
    }

    // One line on the terminal, and a job for the window.
    void report(const QString &peer, const QByteArray &method, const QByteArray &path, int status,
                const QString &text, ServiceAnswer answer, double ms)
    {
        const QDateTime now = QDateTime::currentDateTime();
        const QByteArray shown = path.size() > 120 ? path.left(117) + "..." : path;
        // One arg() for all: a path's "%5E" must not be taken for a placeholder.
        QString line = QStringLiteral("[%1] %2  HTTP %3 %4  -> %5  %6 个标签 labels  %7 ms")
                           .arg(SinkTexts::Timestamp(now), peer,
                                QString::fromLatin1(method.isEmpty() ? "-" : method),
                                QString::fromLatin1(shown.isEmpty() ? "-" : shown), QString::number(status),
                                QString::number(answer.labels.size()), QString::number(ms, 'f', 1));
        if (!text.isEmpty())
            line += QStringLiteral("\n    ") + text;
        std::printf("%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
        ReceivedJob job;
        job.number = m_next++;
        job.time = now;
        job.peer = peer;
        job.httpStatus = QStringLiteral("HTTP %1").arg(status);
        job.data = answer.job;
        job.media = answer.media;
        job.labels = std::move(answer.labels);
        emit jobReceived(job);
    }

    Server m_server;
    GuardedServer *m_tcp;       // owned by m_server once bound
    RequestGuard::Budget m_budget;
    QSet<RequestGuard *> m_guards;
    QTimer m_clock;
    int m_next = 1;
    QThreadPool m_workers;      // as many as the machine has cores
    int m_working = 0;          // requests given to them, not yet answered
};

bool Server::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    m_service->answer(request, socket, makeResponder(request, socket));
    return true;
}

GuardedServer::GuardedServer(LabelHttpService *service) : QTcpServer(service), m_service(service) {}

void GuardedServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // An answer leaves in several writes: without this, the last of them
    // would wait for the client's delayed acknowledgement (40 ms).
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    bool keep = false;
    m_service->guard(socket, &keep);
    if (keep)
        addPendingConnection(socket);
}

} // namespace

HttpService *HttpService::start(const QHostAddress &address, quint16 port, QObject *parent, QString *error)
{
    auto *service = new LabelHttpService(parent);
    if (!service->listen(address, port, error)) {
        delete service;
        return nullptr;
    }
    return service;
}
