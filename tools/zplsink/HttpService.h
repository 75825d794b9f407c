#pragma once

// zplsink's label-rendering web service (--http): LabelService's interface on
// Qt's HTTP server, on the event loop zplsink already runs. Every request is
// printed on the terminal as one line (time, peer, method, path, status,
// labels, milliseconds) and reported as a job for the window.
//
// Qt's HTTP server (6.4) reads whatever arrives and keeps connections for as
// long as clients like; a guard in front of it on every connection, and this
// service over all of them, hold the limits of HttpLimits.h. The guard answers
// those itself and closes the connection.
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

signals:
    // One per request answered, the guard's refusals included.
    void jobReceived(const ReceivedJob &job);

protected:
    explicit HttpService(QObject *parent) : QObject(parent) {}
};
