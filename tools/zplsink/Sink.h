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
    QString answer = {};        // HTTP requests: what was answered ("HTTP 200"); empty for printer jobs
};

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
    // What status answers say, from now on, on every connection.
    void setHostStatus(const zpl::HostStatus &status);
    const zpl::HostStatus &hostStatus() const { return m_hostStatus; }
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }

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
    };

    void accept();
    void receive(QTcpSocket *socket);
    void finish(QTcpSocket *socket);
    QString save(const QByteArray &data, int number);
    void print(Job &job, const std::vector<zpl::Label> &labels);
    void numberAfter(const QDir &folder, const QString &pattern);

    QTcpServer m_server;
    QHash<QTcpSocket *, Job> m_jobs;
    QDir m_folder;
    bool m_saving = false;
    QDir m_images;
    bool m_imaging = false;
    zpl::Media m_media;
    zpl::PrinterState m_persisting;
    std::shared_ptr<zpl::Storage> m_storage = std::make_shared<zpl::Storage>(); // ^DF, ~DG ... while it runs
    zpl::HostStatus m_hostStatus;
    int m_next = 1;
};
