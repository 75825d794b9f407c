#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QTcpSocket;

// A network job on its way: the connection from the moment the job is
// handed to it until the printer has acknowledged every byte. Lives on its
// own (owned by the application, not the window), so that closing the window
// or the program right after a print does not cut the job off; gives up after
// a minute. Once finished (the print command closed the connection), it ends
// the connection as soon as everything is acknowledged and deletes itself.
class Delivery : public QObject
{
    Q_OBJECT

public:
    // What became of the job; shared with whoever waits for it.
    struct Outcome
    {
        enum State { Delivering, Delivered, Failed };
        State state = Delivering;
        qint64 total = 0; // bytes of the job
        qint64 taken = 0; // of them, acknowledged by the printer so far
        QString detail;   // the system's words for a failure
    };

    // Takes over `socket`, connected, through which `total` bytes were just written.
    Delivery(QTcpSocket *socket, qint64 total);

    std::shared_ptr<const Outcome> outcome() const { return m_outcome; }
    // Looks again how much the printer has acknowledged. Also runs on its own.
    void check();
    // The print command is done with the connection: end it once delivered.
    void finish();

    // Waits, dispatching events, until every delivery under way has ended
    // or `timeoutMs` passed. For the program's end.
    static void FinishAll(int timeoutMs);

private:
    ~Delivery() override;

    void fail(const QString &detail);
    void end();
    void stop();

    QTcpSocket *m_socket;
    std::shared_ptr<Outcome> m_outcome;
    bool m_finished = false;
    bool m_stopped = false;
};
