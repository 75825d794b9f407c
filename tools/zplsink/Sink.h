#pragma once

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QObject>
#include <QTcpServer>

#include "HostStatus.h"
#include "Printer.h"
#include "Storage.h"

#include <memory>

class Forwarder;
class QFile;
class QTcpSocket;
class QTimer;

// One connection's job as it ended, for whoever shows it.
struct ReceivedJob
{
    int number = 0;
    QDateTime time;
    QString peer;
    QByteArray data;            // at most the sink's limit
    qint64 dropped = 0;         // bytes past it
    zpl::Media media;           // the media it was printed on
    std::vector<zpl::Label> labels;
    int skipped = 0;            // labels past the renderer's limit
    QByteArray answers;         // status answers sent back, the first 64 KiB
    qint64 answered = 0;        // bytes of them in all
    QString httpStatus = {};    // HTTP requests: the status answered ("HTTP 200"); empty for printer jobs
};

// Status answers as text to read: every control byte as \xNN (STX \x02,
// ETX \x03, CR LF \x0d\x0a), a line break after each LF.
QString AnswerText(const QByteArray &answers);

// Plays a raw network label printer: takes connections one after another (or
// side by side), and when one ends, reports it on standard output (time, peer,
// byte count, then the job as received) and, given a folder, saves the job as
// the next numbered .zpl file there. It also prints each label of the job as a
// 203 dpi printer would, as the label's ^XZ arrives, and given a folder for
// images saves label L of job NNNN as job-NNNN-L.png there. What persists in
// a printer (^BY, ^CF, ~SD ...) passes from one job to the next. Host
// queries (~HS ~HI ~HQES) are answered on their connection as they arrive.
// Connections still open when the Sink goes are reported first.
class Sink : public QObject
{
    Q_OBJECT

public:
    explicit Sink(QObject *parent = nullptr);
    ~Sink() override;

    // Where jobs are saved; none if empty. False if the folder cannot be made.
    bool setOutputFolder(const QString &path);
    // Where label images are saved; none if empty. False if the folder cannot be made.
    bool setImageFolder(const QString &path);
    // For the connections that come next.
    void setMedia(const zpl::Media &media) { m_media = media; }
    // Passes every job on to a printer, which answers the status queries
    // (--forward); the Sink does not own it.
    void setForwarder(Forwarder *forwarder) { m_forwarder = forwarder; }
    // What status answers say, from now on, on every connection.
    void setHostStatus(const zpl::HostStatus &status);
    const zpl::HostStatus &hostStatus() const { return m_hostStatus; }
    // Listens on each address at the same port (0: the one the system gives
    // the first). An address this system lacks (::1 with IPv6 off) is left
    // out while another remains; any other failure fails the whole.
    bool listen(const QList<QHostAddress> &addresses, quint16 port);
    bool listen(const QHostAddress &address, quint16 port) { return listen(QList<QHostAddress>{address}, port); }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_servers.empty() ? 0 : m_servers.front()->serverPort(); }
    // Where it listens: "127.0.0.1:9100, [::1]:9100".
    QString where() const;
    static QString place(const QHostAddress &address, quint16 port); // "[::1]:9100"

signals:
    void jobReceived(const ReceivedJob &job);

private:
    struct Job
    {
        QByteArray data;
        qint64 dropped = 0; // bytes past the size limit
        QString peer;
        QTimer *idle = nullptr;
        int number = 0;
        std::shared_ptr<zpl::Printer> printer;
        QStringList labels;     // console lines, one per label
        std::vector<zpl::Label> printed;
        QByteArray answers;
        qint64 answered = 0;
        std::shared_ptr<QFile> spool;   // --forward: every byte, for the printer
    };

    void accept(QTcpServer *server);
    void receive(QTcpSocket *socket);
    void finish(QTcpSocket *socket);
    QString save(const QByteArray &data, int number);
    void print(Job &job, const std::vector<zpl::Label> &labels);
    void answer(QTcpSocket *socket, Job &job);
    void numberAfter(const QDir &folder, const QString &pattern);

    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    QString m_error;
    QHash<QTcpSocket *, Job> m_jobs;
    QDir m_folder;
    bool m_saving = false;
    QDir m_images;
    bool m_imaging = false;
    zpl::Media m_media;
    zpl::PrinterState m_persisting;
    std::shared_ptr<zpl::Storage> m_storage = std::make_shared<zpl::Storage>(); // ^DF, ~DG ... while it runs
    zpl::HostStatus m_hostStatus;
    Forwarder *m_forwarder = nullptr;
    int m_next = 1;
};
