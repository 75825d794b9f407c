#pragma once

// Network printers on 127.0.0.1 for the tests, each on a port the system
// chooses: one that records every byte per connection, one that resets each
// connection as it comes, one that accepts and never reads.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class LocalPrinter : public QObject
{
    Q_OBJECT

public:
    enum Behaviour { Records, ResetsOnAccept, ClosesOnAccept, NeverReads };

    explicit LocalPrinter(Behaviour behaviour = Records, QObject *parent = nullptr);
    ~LocalPrinter() override;

    quint16 port() const { return m_port; }
    // What each connection sent so far, in the order they came.
    QList<QByteArray> jobs() const { return m_jobs; }
    int connections() const { return int(m_jobs.size()); }
    // Connections that the client has closed.
    int finished() const { return m_finished; }

    // NeverReads: stops listening, which resets the connections it never took.
    void hangUp();

    // A port on 127.0.0.1 that was just in use and now has nobody listening.
    static quint16 freedPort();

signals:
    void connectionAccepted();
    void bytesReceived();

private:
    void accept();

    Behaviour m_behaviour;
    QTcpServer m_server;
    int m_rawListener = -1; // NeverReads: a socket that listens, and nothing more
    quint16 m_port = 0;
    QList<QByteArray> m_jobs;
    int m_finished = 0;
};
