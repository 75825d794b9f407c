#pragma once

// zplsink's label-rendering web service (--http): LabelService's interface on
// cpp-httplib, which serves each connection on a thread of its own; the
// labels render on as many at once as the machine has cores. Every request is
// printed on the terminal as one line (time, peer, method, path, status,
// labels, milliseconds) and reported as a job for the window, on the thread
// this object lives on. The limits are those of HttpLimits.h.

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
