#pragma once

// zplsink's label-rendering web service (--http): LabelService's interface on
// Qt's HTTP server, on the event loop zplsink already runs. Every request is
// printed on the terminal as one line (time, peer, method, path, status,
// labels, milliseconds) and reported as a job for the window.
//
// Qt's HTTP server (6.4) reads whatever arrives and keeps connections for as
// long as clients like; a guard in front of it on every connection holds the
// limits: a request head of at most 64 KiB (431), a body of at most 8 MiB
// with a Content-Length (413, 411), 256 connections at once (503), 64 MiB of
// request bodies and 64 MiB of unsent answers over all connections (503), a
// head within 10 s, a request within 60 s and no stall of 10 s (408), and an
// idle connection kept 30 s. It answers those itself and closes the connection.
//
// Built only where Qt HttpServer is (CMake decides, once); elsewhere start()
// says that this build has no HTTP service.

#include "Sink.h"

#include <QHostAddress>
#include <QObject>

class HttpService : public QObject
{
    Q_OBJECT

public:
    // Listens on `address`:`port` (0: any free port); nullptr with *error if it
    // cannot. The service is a child of `parent`.
    static HttpService *start(const QHostAddress &address, quint16 port, QObject *parent, QString *error);

    virtual quint16 port() const = 0;

    static constexpr qint64 MaxBodyBytes = 8 * 1024 * 1024;
    static constexpr qint64 MaxHeadBytes = 64 * 1024;
    static constexpr int MaxConnections = 256;

signals:
    // One per request answered, the guard's refusals included.
    void jobReceived(const ReceivedJob &job);

protected:
    explicit HttpService(QObject *parent) : QObject(parent) {}
};
