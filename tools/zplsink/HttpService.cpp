// The HTTP service on cpp-httplib: it reads and parses requests, routes them
// and writes the answers, each connection on a thread of its pool, with its
// own limits where they do the job (body length, read and write time-outs,
// requests per connection). What it lacks is in HttpConnection.

#include "HttpService.h"

#include "HttpConnection.h"
#include "HttpLimits.h"
#include "LabelService.h"
#include "SinkTexts.h"

#include <QDateTime>
#include <QSemaphore>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

using namespace HttpLimits;

// What one request holds beside what the library keeps, on the thread that
// serves its connection.
struct Exchange
{
    Connection *connection = nullptr;
    qint64 held = 0;            // bytes of the body budget taken
    qint64 unsent = 0;          // bytes of the answer budget taken
    bool closeAfter = false;    // the body was not read: the connection cannot go on
    ServiceAnswer answer;       // for the report
};
thread_local Exchange *t_exchange = nullptr;

// The request's target must be as a client sends it: from "/" (or "*"), no
// blank or control byte, and UTF-8 (percent-encoded bytes may be anything).
QString targetProblem(const std::string &target)
{
    const bool blankOrControl = std::any_of(target.begin(), target.end(),
                                            [](char c) { return uchar(c) <= 0x20 || c == 0x7f; });
    if (target.empty() || (target[0] != '/' && target != "*") || blankOrControl)
        return QStringLiteral("请求路径无效 / bad request target: it starts with / and has no blank or control "
                              "character (percent-encode them)");
    if (QString::fromUtf8(target.data(), qsizetype(target.size())).toUtf8() != QByteArray::fromStdString(target))
        return QStringLiteral("请求路径不是有效的 UTF-8 / the request target is not valid UTF-8: percent-encode its "
                              "bytes");
    return {};
}

ServiceRequest serviceRequest(const httplib::Request &req)
{
    ServiceRequest in;
    in.method = QByteArray::fromStdString(req.method);
    in.path = QByteArray::fromStdString(req.target);
    for (const auto &[name, value] : req.headers)
        if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" && name != "LOCAL_PORT")
            in.headers.emplaceBack(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    in.body = QByteArray::fromStdString(req.body);
    in.form = req.is_multipart_form_data();
    // The library keeps the parts by name; in the body's order within a name.
    for (const auto &[name, file] : req.files)
        in.parts.push_back({QByteArray::fromStdString(name), QByteArray::fromStdString(file.filename),
                            QByteArray::fromStdString(file.content_type), QByteArray::fromStdString(file.content)});
    return in;
}

void respond(httplib::Response &res, const ServiceAnswer &answer)
{
    res.status = answer.status;
    for (const auto &[name, value] : answer.headers)
        res.set_header(name.toStdString(), value.toStdString());
    if (!answer.contentType.isEmpty())
        res.set_content(answer.body.toStdString(), answer.contentType.toStdString());
}

class Server : public httplib::Server
{
public:
    Server(Connections *connections, std::function<void(const Connection &)> refused)
        : m_connections(connections), m_refused(std::move(refused))
    {
    }

private:
    // The library's loop over one connection's requests, on a connection
    // that keeps the limits the library does not.
    bool process_and_close_socket(socket_t socket) override;

    Connections *m_connections;
    std::function<void(const Connection &)> m_refused;
};

// The pool's threads serve one connection each. Past MaxConnections a new
// connection waits in its queue, and the one that has waited longest for a
// request gives way.
class ConnectionQueue : public httplib::TaskQueue
{
public:
    explicit ConnectionQueue(Connections *connections) : m_pool(MaxConnections), m_connections(connections) {}

    void enqueue(std::function<void()> serve) override
    {
        m_connections->makeRoom(++m_queued);
        m_pool.enqueue([this, serve = std::move(serve)] {
            --m_queued;
            serve();
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    Connections *m_connections;
    std::atomic<int> m_queued{0};
};

class LabelHttpService : public HttpService
{
public:
    explicit LabelHttpService(QObject *parent);
    ~LabelHttpService() override;

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const override { return m_port; }

    // From any thread: a line on the terminal and a job for the window.
    void report(const std::string &peer, const QByteArray &method, const QByteArray &path, int status,
                const QString &text, ServiceAnswer answer, double ms);

private:
    // Past the head, before the body: the limits, and the requests that need no body.
    httplib::Server::HandlerResponse admit(const httplib::Request &req, httplib::Response &res);
    void answer(const httplib::Request &req, httplib::Response &res);

    Connections m_connections;
    Server m_server;
    std::thread m_listener;
    quint16 m_port = 0;
    QSemaphore m_cores{qMax(1, QThread::idealThreadCount())};
    int m_next = 1;             // on this object's thread
    std::atomic<int> m_pendingReports{0};
    std::atomic<int> m_unlisted{0};
};

LabelHttpService::LabelHttpService(QObject *parent)
    : HttpService(parent), m_server(&m_connections, [this](const Connection &connection) {
          report(connection.peer(), {}, {}, connection.refusedWith(), connection.refusal(),
                 ServiceAnswer(), connection.elapsedMs());
      })
{
    m_server.new_task_queue = [this] { return new ConnectionQueue(&m_connections); };
    m_server.set_tcp_nodelay(true);   // an answer is written in two parts: no waiting between
    m_server.set_payload_max_length(MaxBodyBytes);
    m_server.set_read_timeout(StallMs / 1000, 0);
    m_server.set_write_timeout(StallMs / 1000, 0);
    m_server.set_keep_alive_timeout(IdleMs / 1000);
    m_server.set_keep_alive_max_count(MaxRequestsPerConnection);
    m_server.set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        return admit(req, res);
    });
    const auto handler = [this](const httplib::Request &req, httplib::Response &res) { answer(req, res); };
    m_server.Get(".*", handler);
    m_server.Post(".*", handler);
    // The library's own refusals (a head line or target too long, a head it
    // cannot parse) get a text like every other.
    m_server.set_error_handler([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty())
            return;
        const QString text = res.status == 400 && req.is_multipart_form_data()
                                 ? QStringLiteral("multipart/form-data 正文无效 / malformed multipart/form-data body: "
                                                  "no boundary, or its parts are not delimited as RFC 7578 says")
                             : res.status == 414 ? QStringLiteral("请求路径超过 8 KiB / request target over the 8 KiB "
                                                                "limit (send the ZPL as the body)")
                             : res.status == 413
                                 ? QStringLiteral("请求正文超过 8 MiB / request body over the 8 MiB limit")
                                 : QStringLiteral("请求头无效 / bad request head: a line of it over 8 KiB, or not "
                                                  "as HTTP/1.1 writes it");
        respond(res, ServiceError(res.status, text));
    });
    m_server.set_logger([this](const httplib::Request &req, const httplib::Response &res) {
        Exchange *exchange = t_exchange;
        if (!exchange || exchange->connection->phase() == Connection::Phase::Refused)
            return;     // the connection reports its refusal itself
        const QByteArray body = QByteArray::fromStdString(res.body);
        report(exchange->connection->peer(), QByteArray::fromStdString(req.method),
               QByteArray::fromStdString(req.target), res.status,
               res.status >= 400 ? QString::fromUtf8(body.trimmed()) : QString(), std::move(exchange->answer),
               exchange->connection->elapsedMs());
    });
}

LabelHttpService::~LabelHttpService()
{
    m_connections.stopping = true;
    m_server.stop();
    if (m_listener.joinable())
        m_listener.join();
}

bool LabelHttpService::listen(const QHostAddress &address, quint16 port, QString *error)
{
    const int bound = port == 0 ? m_server.bind_to_any_port(address.toString().toStdString())
                                : (m_server.bind_to_port(address.toString().toStdString(), port) ? port : -1);
    if (bound <= 0) {
        // The library does not say why; Qt, trying the same, does.
        QTcpServer probe;
        *error = probe.listen(address, port) ? QStringLiteral("the address cannot be bound") : probe.errorString();
        return false;
    }
    m_port = quint16(bound);
    m_listener = std::thread([this] { m_server.listen_after_bind(); });
    return true;
}

httplib::Server::HandlerResponse LabelHttpService::admit(const httplib::Request &req, httplib::Response &res)
{
    Exchange *exchange = t_exchange;
    exchange->connection->headRead();
    // Answered from the head; a body left unread ends the connection.
    const auto refuse = [&](const ServiceAnswer &answer, bool bodyUnread = true) {
        respond(res, answer);
        exchange->answer = answer;
        exchange->closeAfter = bodyUnread;
        return httplib::Server::HandlerResponse::Handled;
    };
    if (const QString problem = targetProblem(req.target); !problem.isEmpty())
        return refuse(ServiceError(400, problem));
    if (req.has_header("Transfer-Encoding"))
        return refuse(ServiceError(411, QStringLiteral("需要 Content-Length / send the body with a Content-Length: "
                                                       "chunked bodies are not taken")));
    // The library would inflate a compressed body past every limit.
    if (const std::string coding = req.get_header_value("Content-Encoding"); !coding.empty() && coding != "identity")
        return refuse(ServiceError(415, QStringLiteral("不接受压缩的正文 / compressed bodies are not taken "
                                                       "(Content-Encoding %1)").arg(QString::fromStdString(coding).left(40))));
    qint64 length = 0;
    if (req.get_header_value_count("Content-Length") > 1)
        return refuse(ServiceError(400, QStringLiteral("请求头无效 / bad request head: Content-Length twice")));
    if (req.has_header("Content-Length")) {
        const std::string value = req.get_header_value("Content-Length");
        if (value.empty() || value.size() > 12 || value.find_first_not_of("0123456789") != std::string::npos)
            return refuse(ServiceError(400, SinkTexts::ContentLengthNotNumber()));
        length = std::stoll(value);
    } else {
        // Without one the request has no body (the library would read to the end).
        const_cast<httplib::Request &>(req).set_header("Content-Length", "0");
    }
    if (length > MaxBodyBytes)
        return refuse(ServiceError(413, QStringLiteral("请求正文超过 8 MiB / request body over the 8 MiB limit "
                                                       "(Content-Length %1)").arg(length)));
    if (m_connections.heldBytes.fetch_add(length) + length > MaxHeldBytes) {
        m_connections.heldBytes -= length;
        return refuse(ServiceError(503, QStringLiteral("服务忙 / busy: too many request bodies at once, try again")));
    }
    exchange->held = length;
    if (req.method == "GET" || req.method == "POST")
        return httplib::Server::HandlerResponse::Unhandled;     // the body, then answer()
    // The others are answered from the head (routes, CORS, methods not allowed).
    return refuse(AnswerLabelRequest(serviceRequest(req)), length > 0);
}

void LabelHttpService::answer(const httplib::Request &req, httplib::Response &res)
{
    Exchange *exchange = t_exchange;
    exchange->connection->answering();
    if (m_connections.unsentBytes > MaxUnsentBytes || m_connections.working >= MaxWorking) {
        exchange->answer = ServiceError(503, QStringLiteral("服务忙 / busy: too many requests at once, try again"));
        respond(res, exchange->answer);
        return;
    }
    ++m_connections.working;
    m_cores.acquire();
    exchange->answer = AnswerLabelRequest(serviceRequest(req));
    m_cores.release();
    --m_connections.working;
    respond(res, exchange->answer);
    exchange->unsent = exchange->answer.body.size();
    m_connections.unsentBytes += exchange->unsent;
}

bool Server::process_and_close_socket(socket_t socket)
{
    Connection connection(socket, m_connections);
    bool served = false;
    for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
        connection.expectRequest(int(keep_alive_timeout_sec_ * 1000));
        Exchange exchange;
        exchange.connection = &connection;
        t_exchange = &exchange;
        bool closed = false;
        served = process_request(connection, left == 1, closed, nullptr);
        t_exchange = nullptr;
        m_connections->heldBytes -= exchange.held;
        m_connections->unsentBytes -= exchange.unsent;
        if (connection.phase() == Connection::Phase::Refused) {
            m_refused(connection);
            connection.linger();
            break;
        }
        // The library answered a head it could not read (or a body it did not
        // read): where the next request would begin is unknown.
        if (exchange.closeAfter || connection.phase() == Connection::Phase::Head) {
            connection.linger();
            break;
        }
        if (!served || closed)
            break;
    }
    httplib::detail::close_socket(socket);
    return served;
}

void LabelHttpService::report(const std::string &peer, const QByteArray &method, const QByteArray &path,
                              int status, const QString &text, ServiceAnswer answer, double ms)
{
    // The requests go on while the terminal is blocked (a console paused for
    // selecting text, a pipe nobody reads): past a limit their reports are
    // counted, not kept.
    if (m_pendingReports.fetch_add(1) >= MaxPendingReports) {
        --m_pendingReports;
        ++m_unlisted;
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, peer = QString::fromStdString(peer), method, path, status, text, answer = std::move(answer),
         ms]() mutable {
            --m_pendingReports;
            if (const int unlisted = m_unlisted.exchange(0))
                std::printf("%s\n", SinkTexts::RequestsNotListed(unlisted).toLocal8Bit().constData());
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
        },
        Qt::QueuedConnection);
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
