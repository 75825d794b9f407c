// One connection of the web service and the limits connections share.

#include "HttpConnection.h"

#include "HttpLimits.h"
#include "LabelService.h"
#include "NetSocket.h"

#include <algorithm>

using namespace HttpLimits;

namespace {

// The statuses a connection answers by itself.
const char *reason(int status)
{
    switch (status) {
    case 408: return "Request Timeout";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Bad Request";
    }
}

// "address:port" of the other end, or of this end; empty if unknown. (httplib.h
// has brought in each system's socket headers.)
std::string addressOf(socket_t socket, bool local = false)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int got = local ? getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length)
                          : getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length);
    char host[NI_MAXHOST], port[NI_MAXSERV];
    if (got != 0 || getnameinfo(reinterpret_cast<sockaddr *>(&address), length, host, sizeof host, port, sizeof port,
                                NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return {};
    return std::string(host) + ':' + port;
}

// "address:port" as the library takes it.
void splitAddress(const std::string &address, std::string *ip, int *port)
{
    const std::size_t colon = address.rfind(':');
    *ip = address.substr(0, colon);
    *port = colon == std::string::npos ? 0 : std::atoi(address.c_str() + colon + 1);
}

// A waiting read looks at time-outs and evictions this often.
constexpr int SliceMs = 100;

} // namespace

Connection::Connection(socket_t socket, Connections *all)
    : m_socket(socket), m_all(all), m_peer(addressOf(socket))
{
    m_since.start();
    m_lastByte.start();
    m_all->add(this);
}

Connection::~Connection()
{
    m_all->remove(this);
}

void Connection::expectRequest(int idleMs)
{
    m_idleMs = idleMs;
    m_headBytes = 0;
    m_methodBytes = 0;
    m_since.start();
    m_lastByte.start();
    m_waitingSince = m_all->now();
    m_phase = Phase::Waiting;
}

bool Connection::is_readable() const
{
    return m_at < m_buffer.size() || NetSocket::WaitReadable(m_socket, int(StallMs)) > 0;
}

bool Connection::is_writable() const
{
    return m_phase != Phase::Refused && NetSocket::WaitWritable(m_socket, int(StallMs)) > 0;
}

ssize_t Connection::read(char *ptr, size_t size)
{
    if (m_at == m_buffer.size() && !fill())
        return m_phase == Phase::Refused ? -1 : 0;
    size_t n = 0;
    if (m_phase == Phase::Waiting || m_phase == Phase::Head) {
        // The head goes one byte at a time, as the library asks for it.
        while (n < size && m_at < m_buffer.size() && (m_phase == Phase::Waiting || m_phase == Phase::Head)) {
            const char c = m_buffer[m_at++];
            if (!take(c))
                return -1;
            if (m_phase == Phase::Head)
                ptr[n++] = c;
        }
        if (n == 0)
            return read(ptr, size);     // blank lines before a request
        return ssize_t(n);
    }
    n = std::min(size, m_buffer.size() - m_at);
    std::copy_n(m_buffer.data() + m_at, n, ptr);
    m_at += n;
    return ssize_t(n);
}

bool Connection::take(char c)
{
    if (m_phase == Phase::Waiting) {
        if (c == '\r' || c == '\n')
            return true;        // blank lines before a request are allowed
        m_phase = Phase::Head;
        m_since.start();
    }
    if (++m_headBytes > MaxHeadBytes) {
        refuse(431, QStringLiteral("请求头超过 64 KiB / request head over the 64 KiB limit"));
        return false;
    }
    if (m_methodBytes >= 0) {
        if (c == ' ' && m_methodBytes > 0) {
            m_methodBytes = -1;
        } else if (c < 'A' || c > 'Z' || ++m_methodBytes > 16) {
            refuse(400, QStringLiteral("不是 HTTP 请求 / not an HTTP request: bad request line"));
            return false;
        }
    }
    return true;
}

bool Connection::fill()
{
    if (m_phase == Phase::Refused)
        return false;
    for (;;) {
        if (m_all->stopping)
            return false;
        if (m_evicted) {
            // A client between requests finds its connection closed, as after
            // an idle time-out, and opens another; one inside a head is told.
            if (m_phase == Phase::Waiting)
                return false;
            refuse(503, QStringLiteral("连接太多 / busy: more than %1 connections at once, try again")
                            .arg(MaxConnections));
            return false;
        }
        const Phase phase = m_phase;
        const qint64 waited = phase == Phase::Waiting ? m_since.elapsed() : m_lastByte.elapsed();
        const qint64 total = m_since.elapsed();
        if (phase == Phase::Waiting && waited >= m_idleMs)
            return false;       // no request came: the connection ends quietly
        if (phase != Phase::Waiting
            && (waited >= StallMs || total >= RequestMs || (phase == Phase::Head && total >= HeadMs))) {
            refuse(408, QStringLiteral("请求超时 / request timed out: the request did not arrive in time"));
            return false;
        }
        const int ready = NetSocket::WaitReadable(m_socket, SliceMs);
        if (ready < 0)
            return false;
        if (ready == 0)
            continue;
        char chunk[16384];
        const ssize_t got = httplib::detail::read_socket(m_socket, chunk, sizeof chunk, 0);
        if (got <= 0)
            return false;
        m_buffer.erase(0, m_at);
        m_at = 0;
        m_buffer.append(chunk, std::size_t(got));
        m_lastByte.start();
        return true;
    }
}

ssize_t Connection::write(const char *ptr, size_t size)
{
    if (m_phase == Phase::Refused)
        return -1;      // the refusal has been answered: nothing else goes out
    size_t sent = 0;
    QElapsedTimer stalled;
    stalled.start();
    while (sent < size) {
        if (stalled.elapsed() >= StallMs || m_since.elapsed() >= RequestMs + StallMs)
            return -1;          // the client does not take its answer
        const int ready = NetSocket::WaitWritable(m_socket, SliceMs);
        if (ready < 0)
            return -1;
        if (ready == 0)
            continue;
        const ssize_t n = httplib::detail::send_socket(m_socket, ptr + sent, size - sent, 0);
        if (n < 0)
            return -1;
        sent += size_t(n);
        if (n > 0)
            stalled.start();
    }
    return ssize_t(size);
}

void Connection::refuse(int status, const QString &text)
{
    if (m_phase == Phase::Refused)
        return;
    const ServiceAnswer answer = ServiceError(status, text);
    std::string response = "HTTP/1.1 " + std::to_string(status) + ' ' + reason(status) + "\r\nContent-Type: "
                         + answer.contentType.toStdString() + "\r\nContent-Length: "
                         + std::to_string(answer.body.size()) + "\r\nConnection: close\r\n";
    for (const auto &header : answer.headers)
        response += header.first.toStdString() + ": " + header.second.toStdString() + "\r\n";
    response += "\r\n" + answer.body.toStdString();
    m_phase = Phase::Answer;
    write(response.data(), response.size());
    m_refusedWith = status;
    m_refusal = text;
    m_phase = Phase::Refused;
}

void Connection::linger()
{
    NetSocket::ShutdownSending(m_socket);
    QElapsedTimer clock;
    clock.start();
    qint64 drained = 0;
    char chunk[16384];
    while (clock.elapsed() < LingerMs && drained <= MaxDrainedBytes) {
        const int ready = NetSocket::WaitReadable(m_socket, SliceMs);
        if (ready < 0)
            return;
        if (ready == 0)
            continue;
        const ssize_t got = httplib::detail::read_socket(m_socket, chunk, sizeof chunk, 0);
        if (got <= 0)
            return;     // the client has read the answer and closed
        drained += got;
    }
}

void Connection::get_remote_ip_and_port(std::string &ip, int &port) const
{
    splitAddress(m_peer, &ip, &port);
}

void Connection::get_local_ip_and_port(std::string &ip, int &port) const
{
    splitAddress(addressOf(m_socket, true), &ip, &port);
}

void Connections::add(Connection *connection)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open.insert(connection);
}

void Connections::remove(Connection *connection)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_open.erase(connection);
}

void Connections::makeRoom(int queued)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    int live = int(std::count_if(m_open.begin(), m_open.end(), [](const Connection *c) { return !c->evicted(); }));
    while (live + queued > MaxConnections) {
        Connection *longest = nullptr;
        for (Connection *c : m_open)
            if (!c->evicted() && c->waiting() && (!longest || c->waitingSince() < longest->waitingSince()))
                longest = c;
        if (!longest)
            return;     // all are busy with requests: the new ones wait for the first to end
        longest->evict();
        --live;
    }
}
