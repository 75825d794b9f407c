#pragma once

// zplsink --forward HOST[:PORT]: every job zplsink receives goes on, unchanged
// and in the order received, to a real printer. A job is written to the spool
// folder as its bytes arrive and leaves it only once the printer has
// acknowledged every byte (Delivery, as zpltest's print); a job the printer
// did not take stays there and is sent again, first, when the printer takes
// connections again (tried every RetryMs), also after a restart of zplsink.
// Status queries are asked of the printer on a connection of their own; its
// answer goes back to the sender, or zplsink's own when the printer gives
// none within AnswerMs.

#include <QByteArray>
#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class QFile;
class QTcpSocket;

class Forwarder : public QObject
{
    Q_OBJECT

public:
    static constexpr int RetryMs = 5000;
    static constexpr int AnswerMs = 2000;
    static constexpr int ConnectMs = 10000;

    Forwarder(const QString &host, quint16 port, const QString &spool, QObject *parent = nullptr);
    ~Forwarder() override;
    // Makes the spool folder and sends what an earlier run left there; false with *error.
    bool start(QString *error);
    QString spoolFolder() const { return m_spool.path(); }
    QString printer() const { return QStringLiteral("%1:%2").arg(m_host).arg(m_port); }

    // A job's file in the spool folder, to write its bytes to as they arrive;
    // null (said on the terminal) when it cannot be made.
    std::unique_ptr<QFile> openJob();
    // The job written there (closed) is complete: send it after those before it.
    void send(const QString &spooled);
    // Asks the printer `query` ("~HS"); `reply` gets its answer, or `own` when
    // it gives none in time (then zplsink says so).
    void ask(const QByteArray &query, const QByteArray &own, std::function<void(const QByteArray &)> reply);

signals:
    // Said on the terminal too: a job not taken, an answer zplsink gave itself.
    void notice(const QString &text);

private:
    struct Question
    {
        QByteArray query, own;
        std::function<void(const QByteArray &)> reply;
    };

    void sendNext();
    void failed(const QString &why);
    void askNext();
    void say(const QString &text);

    QString m_host;
    quint16 m_port;
    QDir m_spool;
    int m_next = 1;
    std::deque<QString> m_queue;    // spool files, oldest first
    bool m_sending = false;
    QTimer m_retry;
    std::deque<Question> m_questions;
    bool m_asking = false;
};
