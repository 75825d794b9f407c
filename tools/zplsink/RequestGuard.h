#pragma once

// The guard on one connection of the HTTP service, in front of Qt's HTTP
// server. Qt's server (6.4) has no limits: it keeps a whole request of any size
// in memory, waits for a request for ever, and on a request it cannot parse
// stops listening to the connection without closing it. The guard sees every
// byte before the server does, since it connects to the socket first:
//
// - it follows each request's head byte by byte, in the grammar Qt's parser
//   takes (a known method, a target without blanks or control characters,
//   HTTP/1.0 or 1.1, header names of token characters), so that anything the
//   parser would choke on is refused before it reaches it;
// - it refuses a head too long (431), a body without Content-Length (411) or
//   too long (413), and a body that would take the service over its budget of
//   buffered bytes (503), as soon as the head says so;
// - it cuts a head or a request that takes too long, or pauses inside one
//   (408), an answer its client does not read, and an idle connection.
// The figures are in HttpLimits.h.
//
// A refusal is one line of text with its status, after which Qt's server
// gets no more of the connection; the guard drops what the client still sends
// for a while (so that the answer is not lost in a reset) and closes it.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QTcpSocket;

class RequestGuard : public QObject
{
    Q_OBJECT

public:
    // Request bytes that all connections hold at once, in bytes.
    struct Budget
    {
        qint64 held = 0;
    };

    // Watches `socket`, whose child it becomes; connect it before anyone else
    // reads the socket.
    RequestGuard(QTcpSocket *socket, Budget *budget);
    ~RequestGuard() override;

    // Refuses the connection now, with `status` and `text`.
    void refuse(int status, const QString &text);
    // The server has answered the request: the connection waits for the next
    // one, or closes if the client asked for that.
    void answered();
    // Enforces the time limits; call it every half second or so.
    void check();

    QString peer() const { return m_peer; }
    // How long it has waited for a request, or for the rest of one; -1 if
    // it is busier (a body arriving, an answer, a refusal).
    qint64 waiting() const;

signals:
    // A refusal was sent, for the log.
    void refused(int status, const QString &text);

private:
    enum class Phase { Idle, Head, Body, Answer, Closed };
    enum class Step { Method, Target, Version, LineEnd, HeaderStart, Name, Value, ValueEnd, HeadEnd, End };

    void arrived();
    void drain();
    bool scan(const QByteArray &bytes, qsizetype *used);
    bool utf8(uchar c);
    bool headerDone();
    bool headComplete();
    bool fail(int status, const QString &text);
    void release();

    QTcpSocket *m_socket;
    Budget *m_budget;
    QString m_peer;
    Phase m_phase = Phase::Idle;
    Step m_step = Step::Method;
    QMetaObject::Connection m_reading;  // gone when Qt's server drops the socket's connections
    qint64 m_headBytes = 0;
    int m_continuations = 0;    // of a UTF-8 character in the target
    uchar m_low = 0x80, m_high = 0xbf;  // what its next byte may be
    QByteArray m_token;         // the method, whether the target began, or the header name
    QByteArray m_value;         // the start of the header value being read
    QByteArray m_version;
    bool m_sawLength = false;
    bool m_expectContinue = false;
    qint64 m_bodyLeft = 0;
    qint64 m_held = 0;          // of the budget
    qint64 m_drained = 0;       // bytes dropped after a refusal
    bool m_close = false;       // the client wants the connection closed after the answer
    QElapsedTimer m_since;      // the request's first byte, or the last answer
    QElapsedTimer m_lastByte;   // the last byte in or out
};
