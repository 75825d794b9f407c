#pragma once

// Network printers on 127.0.0.1 for the tests, each on a port the system
// chooses, each misbehaving in its own way.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class LocalPrinter : public QObject
{
    Q_OBJECT

public:
    enum Behaviour {
        Records,         // takes every byte of every connection
        ResetsOnAccept,  // resets each connection as it comes
        ClosesOnAccept,  // closes each connection as it comes
        ResetsAfter,     // reads `amount` bytes, then resets
        ReadsSlowly,     // reads `amount` bytes every 20 ms
        NeverReads,      // the system accepts and buffers a little; nobody reads
        NeverAnswers,    // its queue is full: connection requests go unanswered
        AnswersLate,     // as NeverAnswers for `amount` ms, then Records
    };

    explicit LocalPrinter(Behaviour behaviour = Records, int amount = 0, QObject *parent = nullptr);
    ~LocalPrinter() override;

    quint16 port() const { return m_port; }
    QList<QByteArray> jobs() const { return m_jobs; } // what each connection sent so far, in the order they came
    int connections() const { return int(m_jobs.size()); }
    int finished() const { return m_finished; } // connections that the client has closed

    // A port on 127.0.0.1 that was just in use and now has nobody listening.
    static quint16 freedPort();

signals:
    void connectionAccepted();
    void bytesReceived();

private:
    void listenRaw(int backlog);
    void fillQueue();
    void startServing();
    void accept();
    void serve(QTcpSocket *socket, qsizetype index);

    Behaviour m_behaviour;
    int m_amount, m_rawListener = -1, m_finished = 0;
    QTcpServer m_server;
    QList<int> m_held; // connections that fill the queue, and their ports
    QList<quint16> m_heldPorts;
    quint16 m_port = 0;
    QList<QByteArray> m_jobs;
};
