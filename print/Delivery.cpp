#include "Delivery.h"

#include "Platform.h"
#include "SystemErrors.h"
#include "modMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

// How long a printer may take to acknowledge the rest of a job in the
// background before the connection is dropped.
constexpr int GiveUpMs = 60000;
constexpr int CheckEveryMs = 20;

int running = 0; // deliveries not yet ended, for FinishAll

} // namespace

void Delivery::FinishAll(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (running > 0 && clock.elapsed() < timeoutMs)
        modMain::PumpWait(1);
    // Outside the event loop nothing else deletes what ended meanwhile.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Delivery::Delivery(QTcpSocket *socket, qint64 total)
    : QObject(QCoreApplication::instance()), m_socket(socket), m_outcome(std::make_shared<Outcome>())
{
    ++running;
    m_outcome->total = total;
    socket->setParent(this);
    connect(socket, &QTcpSocket::errorOccurred, this, [this] { fail(SystemErrors::Detail(m_socket->error(), m_socket->errorString())); });
    connect(socket, &QTcpSocket::readyRead, this, [this] { m_socket->readAll(); });
    connect(socket, &QTcpSocket::bytesWritten, this, &Delivery::check);
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &Delivery::check);
    timer->start(CheckEveryMs);
    QTimer::singleShot(GiveUpMs, this, [this] { fail(QString()); });
}

Delivery::~Delivery()
{
    stop();
}

// The delivery has ended, one way or the other: FinishAll need not wait for it.
void Delivery::stop()
{
    if (!m_stopped) {
        m_stopped = true;
        --running;
    }
}

void Delivery::check()
{
    if (m_outcome->state != Outcome::Delivering)
        return;
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        fail(SystemErrors::Detail(m_socket->error(), m_socket->errorString()));
        return;
    }
    const qint64 queued = m_socket->bytesToWrite();
    std::uint64_t unacknowledged = 0;
    if (!platform::UnacknowledgedBytes(m_socket->socketDescriptor(), std::uint64_t(m_outcome->total - queued),
                                       unacknowledged))
        unacknowledged = 0; // the system cannot say: what left Qt counts as taken
    const qint64 outstanding = queued + qint64(unacknowledged);
    m_outcome->taken = qMax(m_outcome->taken, m_outcome->total - outstanding);
    if (outstanding > 0)
        return;
    m_outcome->state = Outcome::Delivered;
    if (m_finished)
        end();
}

void Delivery::finish()
{
    m_finished = true;
    if (m_outcome->state == Outcome::Delivered)
        end();
    else
        check();
}

// Everything is acknowledged: end the connection in order, then go.
void Delivery::end()
{
    disconnect(m_socket, nullptr, this, nullptr);
    stop();
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        deleteLater();
}

void Delivery::fail(const QString &detail)
{
    // A reset before the print command is done spoils even a delivered job.
    if (m_outcome->state == Outcome::Delivering || !m_finished) {
        m_outcome->state = Outcome::Failed;
        m_outcome->detail = detail;
    }
    stop();
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
    deleteLater();
}
