#pragma once

#include <QDir>
#include <QHash>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

// Plays a raw network label printer: takes connections one after another (or
// side by side), and when one ends, reports it on standard output (time, peer,
// byte count, then the job as received) and, given a folder, saves the job as
// the next numbered .zpl file there.
class Sink : public QObject
{
    Q_OBJECT

public:
    explicit Sink(QObject *parent = nullptr);

    // Where jobs are saved; none if empty. False if the folder cannot be made.
    bool setOutputFolder(const QString &path);
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    quint16 port() const { return m_server.serverPort(); }

private:
    struct Job
    {
        QByteArray data;
        qint64 dropped = 0; // bytes past the size limit
        QString peer;
        QTimer *idle = nullptr;
    };

    void accept();
    void receive(QTcpSocket *socket);
    void finish(QTcpSocket *socket);
    QString save(const QByteArray &data);

    QTcpServer m_server;
    QHash<QTcpSocket *, Job> m_jobs;
    QDir m_folder;
    bool m_saving = false;
    int m_next = 1;
};
