#pragma once

// One connection of the web service as cpp-httplib reads and writes it, with
// what the library (0.11) does not hold by itself:
//
// - a whole head within HeadMs and 64 KiB, a whole request within RequestMs
//   (the library only bounds each read, each line and the body's length);
// - a request line that does not begin with a method is no HTTP request: it
//   is refused at its first byte, not after a time-out;
// - a refusal gets its answer (status and one line of text) before the
//   connection closes, and what the client still sends is drained for a while
//   so that closing does not reset the connection under the answer;
// - the connections together: past MaxConnections, the one that has waited
//   longest for its next request gives way (Connections::makeRoom).
// The figures are in HttpLimits.h.

#include <httplib.h>

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <mutex>
#include <set>
#include <string>

class Connections;

class Connection : public httplib::Stream
{
public:
    Connection(socket_t socket, Connections *all);
    ~Connection() override;

    enum class Phase { Waiting, Head, Body, Answer, Refused };

    // Before each request: waits at most `idleMs` for its first byte.
    void expectRequest(int idleMs);
    // The head has been read: what follows is its body.
    void headRead() { m_phase = Phase::Body; }
    void answering() { m_phase = Phase::Answer; }
    // Answers `status` with `text` itself (once), reads nothing more.
    void refuse(int status, const QString &text);
    // After a refusal: drops what the client still sends, for a while.
    void linger();

    Phase phase() const { return m_phase; }
    int refusedWith() const { return m_refusedWith; }
    QString refusal() const { return m_refusal; }
    std::string peer() const { return m_peer; }
    // Since the request's first byte (or since it was expected), in ms.
    double elapsedMs() const { return m_since.nsecsElapsed() / 1e6; }
    bool waiting() const { return m_phase == Phase::Waiting || m_phase == Phase::Head; }
    qint64 waitingSince() const { return m_waitingSince; }
    void evict() { m_evicted = true; }
    bool evicted() const { return m_evicted; }

    // httplib::Stream
    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char *ptr, size_t size) override;
    ssize_t write(const char *ptr, size_t size) override;
    void get_remote_ip_and_port(std::string &ip, int &port) const override;
    void get_local_ip_and_port(std::string &ip, int &port) const override;
    socket_t socket() const override { return m_socket; }

private:
    bool fill();                // false when nothing more can be read
    bool take(char c);          // one byte of the head; false once refused

    socket_t m_socket;
    Connections *m_all;
    std::string m_peer;
    std::atomic<Phase> m_phase{Phase::Waiting};
    std::atomic<bool> m_evicted{false};
    std::atomic<qint64> m_waitingSince{0};
    QElapsedTimer m_since;      // the current request's
    QElapsedTimer m_lastByte;
    int m_idleMs = 0;
    qint64 m_headBytes = 0;
    int m_methodBytes = 0;      // of the request line's method, -1 past it
    int m_refusedWith = 0;
    QString m_refusal;
    std::string m_buffer;       // read from the socket, not yet taken
    std::size_t m_at = 0;
};

// Every open connection, for the limits they share.
class Connections
{
public:
    void add(Connection *connection);
    void remove(Connection *connection);
    // Room for `queued` more: while the open connections and those queued
    // would be more than MaxConnections, the one that has waited longest for
    // a request is told to give way (it answers 503 and closes).
    void makeRoom(int queued);
    qint64 now() const { return m_clock.elapsed(); }

    std::atomic<qint64> heldBytes{0};   // request bodies being received
    std::atomic<qint64> unsentBytes{0}; // answers not yet taken by their clients
    std::atomic<int> working{0};        // requests being rendered or waiting to be
    std::atomic<bool> stopping{false};  // the service is closing: no more waiting

    Connections() { m_clock.start(); }

private:
    std::mutex m_mutex;
    std::set<Connection *> m_open;
    QElapsedTimer m_clock;
};
