#include "RequestGuard.h"

#include "HttpLimits.h"
#include "HttpService.h"
#include "LabelService.h"
#include "SinkTexts.h"

#include <QTcpSocket>

#include <algorithm>
#include <iterator>

namespace {

using namespace HttpLimits;

// The methods let through; Qt's parser knows them all.
const QByteArray Methods[] = {"GET", "POST", "PUT", "DELETE", "OPTIONS", "PATCH"};

bool isToken(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || QByteArray("!#$%&'*+-.^_`|~").contains(c);
}

QByteArray reason(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    default: return "Service Unavailable";
    }
}

} // namespace

RequestGuard::RequestGuard(QTcpSocket *socket, Budget *budget)
    : QObject(socket), m_socket(socket), m_budget(budget),
      m_peer(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    m_reading = connect(socket, &QTcpSocket::readyRead, this, &RequestGuard::arrived);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] { m_lastByte.start(); });
    // Qt's server deletes the sockets it serves; this one may be refused before.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    m_since.start();
    m_lastByte.start();
}

RequestGuard::~RequestGuard()
{
    release();
}

void RequestGuard::release()
{
    m_budget->held -= m_held;
    m_held = 0;
}

void RequestGuard::arrived()
{
    if (m_phase == Phase::Closed)
        return;
    m_lastByte.start();
    // Qt's server reads everything each time: what is there is what is new.
    const QByteArray bytes = m_socket->peek(m_socket->bytesAvailable());
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype used = 0;
        if (!scan(bytes.mid(at), &used))
            return;
        at += used;
    }
}

// Takes what `bytes` holds of the current request: its head byte by byte, its
// body by count. False once the connection is refused.
bool RequestGuard::scan(const QByteArray &bytes, qsizetype *used)
{
    if (m_phase == Phase::Answer)
        return fail(400, QStringLiteral("请等每个回答后再发下一个请求 / pipelined requests are not taken: wait for "
                                        "each answer before sending the next request"));
    if (m_phase == Phase::Body) {
        *used = qMin<qint64>(m_bodyLeft, bytes.size());
        m_bodyLeft -= *used;
        if (m_bodyLeft == 0)
            m_phase = Phase::Answer;
        return true;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        *used = i + 1;
        if (m_phase == Phase::Idle) {
            if (c == '\r' || c == '\n')
                continue;       // blank lines before a request are allowed
            m_phase = Phase::Head;
            m_step = Step::Method;
            m_headBytes = 0;
            m_continuations = 0;
            m_token.clear();
            m_version.clear();
            m_sawLength = m_close = m_expectContinue = false;
            m_bodyLeft = 0;
            m_since.start();
        }
        if (++m_headBytes > MaxHeadBytes)
            return fail(431, QStringLiteral("请求头超过 64 KiB / request head over the 64 KiB limit"));
        const bool control = (uchar(c) < 0x20 && c != '\t') || c == 0x7f;
        switch (m_step) {
        case Step::Method:
            if (c == ' ') {
                if (std::find(std::begin(Methods), std::end(Methods), m_token) == std::end(Methods))
                    return fail(405, SinkTexts::MethodNotAllowed(QString::fromLatin1(m_token)));
                m_step = Step::Target;
                m_token.clear();
            } else if (c >= 'A' && c <= 'Z' && m_token.size() < 16) {
                m_token += c;
            } else {
                return fail(400, QStringLiteral("不是 HTTP 请求 / not an HTTP request: bad request line"));
            }
            break;
        case Step::Target:
            if (c == ' ' && !m_token.isEmpty() && m_continuations == 0) {
                m_step = Step::Version;
                break;
            }
            if (control || c == ' ' || (m_token.isEmpty() && c != '/' && c != '*'))
                return fail(400, QStringLiteral("请求路径无效 / bad request target: it starts with / and has no blank "
                                                "or control character (percent-encode them)"));
            if (!utf8(uchar(c)))
                return fail(400, QStringLiteral("请求路径不是有效的 UTF-8 / the request target is not valid UTF-8: "
                                                "percent-encode its bytes"));
            m_token = "/";      // only whether it has begun matters
            break;
        case Step::Version:
            if (c == '\r' || c == '\n') {
                if (m_version != "HTTP/1.1" && m_version != "HTTP/1.0")
                    return fail(400, SinkTexts::HttpVersionNotSupported());
                m_close = m_version == "HTTP/1.0";
                m_step = c == '\r' ? Step::LineEnd : Step::HeaderStart;
            } else {
                m_version += c;
                if (!QByteArray("HTTP/1.1").startsWith(m_version) && !QByteArray("HTTP/1.0").startsWith(m_version))
                    return fail(400, SinkTexts::HttpVersionNotSupported());
            }
            break;
        case Step::LineEnd:
        case Step::ValueEnd:
        case Step::HeadEnd:
            if (c != '\n')
                return fail(400, QStringLiteral("请求头无效 / bad request head: CR without LF"));
            m_step = m_step == Step::HeadEnd ? Step::End : Step::HeaderStart;
            break;
        case Step::HeaderStart:
            if (c == '\r' || c == '\n') {
                m_step = c == '\n' ? Step::End : Step::HeadEnd;
            } else if (isToken(c)) {
                m_token = QByteArray(1, c);
                m_step = Step::Name;
            } else {
                return fail(400, QStringLiteral("请求头无效 / bad request head: a header line without a name "
                                                "(folded lines are not taken)"));
            }
            break;
        case Step::Name:
            if (c == ':') {
                m_token = m_token.toLower();
                if (m_token == "transfer-encoding")
                    return fail(411, QStringLiteral("需要 Content-Length / send the body with a Content-Length: "
                                                    "chunked bodies are not taken"));
                if (m_token == "content-length" && m_sawLength)
                    return fail(400, QStringLiteral("请求头无效 / bad request head: Content-Length twice"));
                m_sawLength = m_sawLength || m_token == "content-length";
                m_step = Step::Value;
                m_value.clear();
            } else if (isToken(c)) {
                m_token += c;
            } else {
                return fail(400, QStringLiteral("请求头无效 / bad request head: a header name with a character "
                                                "that is not allowed"));
            }
            break;
        case Step::Value:
            if (c == '\r' || c == '\n') {
                if (!headerDone())
                    return false;
                m_step = c == '\r' ? Step::ValueEnd : Step::HeaderStart;
            } else if (control) {
                return fail(400, QStringLiteral("请求头无效 / bad request head: a control character in a header"));
            } else if (m_token == "content-length" && c != ' ' && c != '\t' && (c < '0' || c > '9')) {
                return fail(400, SinkTexts::ContentLengthNotNumber());
            } else if (m_value.size() < 64) {
                m_value += c;
            }
            break;
        case Step::End:
            break;
        }
        if (m_step == Step::End)
            return headComplete();
    }
    return true;
}

// Takes the next byte of the target; false if it breaks UTF-8 (Qt's server
// would put U+FFFD in its place).
bool RequestGuard::utf8(uchar c)
{
    if (m_continuations > 0) {
        --m_continuations;
        const bool ok = c >= m_low && c <= m_high;
        m_low = 0x80;
        m_high = 0xbf;
        return ok;
    }
    if (c < 0x80)
        return true;
    m_continuations = c >= 0xc2 && c <= 0xdf ? 1 : c >= 0xe0 && c <= 0xef ? 2 : c >= 0xf0 && c <= 0xf4 ? 3 : 0;
    m_low = c == 0xe0 ? 0xa0 : c == 0xf0 ? 0x90 : 0x80;
    m_high = c == 0xed ? 0x9f : c == 0xf4 ? 0x8f : 0xbf;
    return m_continuations > 0;
}

// One header has been read: m_token its name (lower case), m_value its start.
bool RequestGuard::headerDone()
{
    const QByteArray value = m_value.trimmed().toLower();
    if (m_token == "content-length") {
        if (value.isEmpty() || value.contains(' ') || value.contains('\t') || value.size() > 12)
            return fail(400, SinkTexts::ContentLengthNotNumber());
        m_bodyLeft = value.toLongLong();
    } else if (m_token == "connection") {
        m_close = value.contains("close") || (m_close && !value.contains("keep-alive"));
    } else if (m_token == "expect") {
        m_expectContinue = value == "100-continue";
    }
    return true;
}

bool RequestGuard::headComplete()
{
    if (m_bodyLeft > MaxBodyBytes)
        return fail(413, QStringLiteral("请求正文超过 8 MiB / request body over the 8 MiB limit (Content-Length %1)")
                             .arg(m_bodyLeft));
    const qint64 needed = m_bodyLeft + m_headBytes;
    if (m_budget->held + needed > MaxHeldBytes)
        return fail(503, QStringLiteral("服务忙 / busy: too many request bodies at once, try again"));
    m_held = needed;
    m_budget->held += needed;
    if (m_expectContinue && m_bodyLeft > 0)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    m_phase = m_bodyLeft > 0 ? Phase::Body : Phase::Answer;
    return true;
}

bool RequestGuard::fail(int status, const QString &text)
{
    refuse(status, text);
    return false;
}

void RequestGuard::refuse(int status, const QString &text)
{
    if (m_phase == Phase::Closed)
        return;
    m_phase = Phase::Closed;
    release();
    // Qt's server reads no more: its parser would only meet what was refused.
    // What arrives until the client has read the answer and closed is
    // dropped, so that closing with bytes unread does not reset the
    // connection under the answer; only so much, and only so long.
    disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    connect(m_socket, &QTcpSocket::readyRead, this, &RequestGuard::drain);
    drain();
    const ServiceAnswer answer = ServiceError(status, text);
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    response += "Content-Type: " + answer.contentType + "\r\nContent-Length: " + QByteArray::number(answer.body.size())
                + "\r\nConnection: close\r\n";
    for (const auto &header : answer.headers)
        response += header.first + ": " + header.second + "\r\n";
    m_socket->write(response + "\r\n" + answer.body);
    m_since.start();
    emit refused(status, text);
}

void RequestGuard::drain()
{
    m_drained += m_socket->skip(m_socket->bytesAvailable());
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();     // Qt's server's, which it will not end
    if (m_drained > MaxDrainedBytes)
        m_socket->abort();
}

void RequestGuard::answered()
{
    if (m_phase == Phase::Closed)
        return;
    release();
    m_phase = Phase::Idle;
    m_since.start();
    if (m_close) {
        m_phase = Phase::Closed;
        m_socket->disconnectFromHost();
    }
}

qint64 RequestGuard::waiting() const
{
    return m_phase == Phase::Idle || m_phase == Phase::Head ? m_since.elapsed() : -1;
}

void RequestGuard::check()
{
    const bool writing = m_socket->bytesToWrite() > 0;
    if (writing && m_lastByte.elapsed() > StallMs) {
        m_socket->abort();      // an answer its client does not read
        return;
    }
    switch (m_phase) {
    case Phase::Head:
    case Phase::Body:
        if (!m_reading)
            refuse(400, QStringLiteral("请求无效 / malformed request"));   // Qt's server gave up on it
        else if (m_lastByte.elapsed() > StallMs || m_since.elapsed() > (m_phase == Phase::Head ? HeadMs : RequestMs))
            refuse(408, QStringLiteral("请求超时 / request timed out: the request did not arrive in time"));
        break;
    case Phase::Idle:
        if (!writing && m_since.elapsed() > IdleMs) {
            m_phase = Phase::Closed;
            m_socket->disconnectFromHost();
        }
        break;
    case Phase::Closed:
        if (!writing && m_since.elapsed() > LingerMs)
            m_socket->abort();
        break;
    case Phase::Answer:
        break;
    }
}
