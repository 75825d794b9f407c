#include "Winsock.h"

#include "Delivery.h"
#include "Messages.h"
#include "PrintError.h"
#include "SystemErrors.h"
#include "modMain.h"

#include <QHostInfo>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Whole seconds waited, as a person would say them (5 for 5.01 s).
int seconds(qint64 ms)
{
    return int(qMax<qint64>(1, (ms + 500) / 1000));
}

} // namespace

Winsock::Winsock(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer); // a coarse one may end the wait up to 5 % early
    connect(m_timer, &QTimer::timeout, this, &Winsock::onTimeout);
}

Winsock::~Winsock()
{
    Close(0);
}

QString Winsock::printer() const
{
    return QStringLiteral("%1:%2").arg(m_remoteHost, QString::number(m_remotePort));
}

QAbstractSocket::SocketState Winsock::state() const
{
    if (m_lookupId >= 0)
        return QAbstractSocket::HostLookupState;
    if (m_attempt != platform::NoSocket)
        return QAbstractSocket::ConnectingState;
    if (m_outcome)
        return QAbstractSocket::ConnectedState;
    return m_socket ? m_socket->state() : QAbstractSocket::UnconnectedState;
}

bool Winsock::isSettingUp() const
{
    return m_lookupId >= 0 || m_attempt != platform::NoSocket;
}

void Winsock::Connect()
{
    if (state() != QAbstractSocket::UnconnectedState)
        throw PrintError(Messages::SocketBusy());
    if (m_remoteHost.isEmpty())
        throw PrintError(Messages::EmptyHost());
    Close(0);
    m_failure = Failure();
    m_tried.clear();
    m_since.start();
    const QHostAddress literal(m_remoteHost);
    if (!literal.isNull()) {
        m_addresses = {literal};
        connectNext();
    } else if (m_resolver) {
        lookedUp(m_resolver(m_remoteHost), SystemErrors::Detail(QHostInfo()));
    } else {
        m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, &Winsock::onLookedUp);
        m_timer->start(m_timeoutMs);
    }
}

void Winsock::onLookedUp(const QHostInfo &info)
{
    m_lookupId = -1;
    m_timer->stop();
    lookedUp(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>(),
             SystemErrors::Detail(info));
}

void Winsock::lookedUp(const QList<QHostAddress> &addresses, const QString &detail)
{
    m_addresses = addresses;
    if (m_addresses.isEmpty()) {
        m_failure.lookup = true;
        m_failure.detail = detail;
        return;
    }
    connectNext();
}

void Winsock::fail(platform::SocketError::Kind kind, const QString &detail)
{
    m_failure.kind = kind;
    m_failure.detail = detail;
}

// One attempt per address, each after the one before has failed; what the
// last one said stands when none is left.
void Winsock::connectNext()
{
    while (!m_addresses.isEmpty()) {
        const QHostAddress address = m_addresses.takeFirst();
        m_tried << address.toString();
        platform::SocketError error;
        m_attempt = platform::StartConnect(address.toString().toLatin1().constData(), quint16(m_remotePort), error);
        if (m_attempt != platform::NoSocket) {
            m_writable = new QSocketNotifier(m_attempt, QSocketNotifier::Write, this);
            m_failed = new QSocketNotifier(m_attempt, QSocketNotifier::Exception, this);
            connect(m_writable, &QSocketNotifier::activated, this, &Winsock::onConnectReady);
            connect(m_failed, &QSocketNotifier::activated, this, &Winsock::onConnectReady);
            m_timer->start(m_timeoutMs);
            return;
        }
        fail(error.kind, SystemErrors::Detail(error));
    }
}

void Winsock::onTimeout()
{
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
        m_failure.lookupTimedOut = true;
        return;
    }
    if (m_attempt == platform::NoSocket)
        return;
    const platform::SocketHandle handle = m_attempt;
    dropAttempt();
    platform::CloseSocket(handle);
    fail(platform::SocketError::TimedOut, QString());
    connectNext();
}

void Winsock::onConnectReady()
{
    platform::SocketError error;
    const platform::ConnectStatus status = platform::CheckConnect(m_attempt, error);
    if (status == platform::ConnectStatus::Pending)
        return;
    const platform::SocketHandle handle = m_attempt;
    dropAttempt(); // the notifiers go; the descriptor stays with `handle`
    if (status == platform::ConnectStatus::Failed) {
        platform::CloseSocket(handle);
        fail(error.kind, SystemErrors::Detail(error));
        connectNext();
        return;
    }
    m_failure = Failure(); // what the addresses before said is past
    m_socket = new QTcpSocket(this);
    if (!m_socket->setSocketDescriptor(qintptr(handle))) {
        fail(platform::SocketError::Other, SystemErrors::Detail(m_socket->error(), m_socket->errorString()));
        platform::CloseSocket(handle);
        delete m_socket;
        m_socket = nullptr;
        return;
    }
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Winsock::onSocketError);
    connect(m_socket, &QTcpSocket::readyRead, m_socket, [socket = m_socket] { socket->readAll(); });
}

void Winsock::onSocketError()
{
    if (m_failure.kind == platform::SocketError::None)
        fail(platform::SocketError::Reset, SystemErrors::Detail(m_socket->error(), m_socket->errorString()));
}

// Stops watching the connection attempt; the caller owns its descriptor.
void Winsock::dropAttempt()
{
    m_timer->stop();
    delete m_writable;
    delete m_failed;
    m_writable = m_failed = nullptr;
    m_attempt = platform::NoSocket;
}

QString Winsock::failureText() const
{
    if (m_failure.lookupTimedOut)
        return Messages::HostLookupTimedOut(m_remoteHost, seconds(m_since.elapsed()));
    if (m_failure.lookup)
        return Messages::HostNotFound(m_remoteHost, m_failure.detail);
    QString text;
    switch (m_failure.kind) {
    case platform::SocketError::Refused:
        text = Messages::Refused(printer(), m_failure.detail);
        break;
    case platform::SocketError::Unreachable:
        text = Messages::Unreachable(printer(), m_failure.detail);
        break;
    case platform::SocketError::TimedOut:
        text = Messages::NoAnswer(printer(), seconds(m_since.elapsed()));
        break;
    case platform::SocketError::Reset:
        return Messages::Dropped(printer(), m_failure.detail); // once up, no other address was tried
    default:
        text = Messages::ConnectFailed(printer(), m_failure.detail);
    }
    if (m_tried.size() > 1)
        text += QLatin1Char('\n') + Messages::AddressesTried(int(m_tried.size()), m_tried.join(QStringLiteral("、")));
    return text;
}

void Winsock::SendData(const QString &text)
{
    if (m_lookupId >= 0)
        throw PrintError(Messages::HostLookupTimedOut(m_remoteHost, seconds(m_since.elapsed())));
    if (m_attempt != platform::NoSocket)
        throw PrintError(Messages::NoAnswer(printer(), seconds(m_since.elapsed())));
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState
        || m_failure.kind != platform::SocketError::None || m_failure.lookup)
        throw PrintError(failureText());

    const QByteArray bytes = text.toLocal8Bit();
    if (m_socket->write(bytes) != bytes.size())
        throw PrintError(Messages::Dropped(printer(), SystemErrors::Detail(m_socket->error(), m_socket->errorString())));
    // From here on the job's own bookkeeping follows the connection, which
    // may outlive this control (the window closed right after the print).
    QTcpSocket *socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    m_delivery = new Delivery(socket, bytes.size());
    m_outcome = m_delivery->outcome();
}

void Winsock::Close(int deliveryTimeoutMs)
{
    m_timer->stop();
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
    if (m_attempt != platform::NoSocket) {
        const platform::SocketHandle handle = m_attempt;
        dropAttempt();
        platform::CloseSocket(handle);
    }
    m_addresses.clear();
    if (m_socket) {
        m_socket->abort(); // up, but nothing was sent: nothing to deliver
        delete std::exchange(m_socket, nullptr);
    }
    if (!m_outcome)
        return;

    const QPointer<Delivery> delivery = std::exchange(m_delivery, nullptr);
    const std::shared_ptr<const Delivery::Outcome> outcome = std::exchange(m_outcome, nullptr);
    const QString who = printer();
    if (delivery)
        delivery->finish();
    if (deliveryTimeoutMs <= 0)
        return;
    // `this` may be gone after a wait (the window closed): only locals below.
    QElapsedTimer clock;
    clock.start();
    while (outcome->state == Delivery::Outcome::Delivering && clock.elapsed() < deliveryTimeoutMs) {
        modMain::PumpWait(1);
        if (delivery)
            delivery->check();
    }
    switch (outcome->state) {
    case Delivery::Outcome::Delivered:
        return;
    case Delivery::Outcome::Failed:
        if (outcome->taken >= outcome->total)
            throw PrintError(Messages::ResetAfterDelivery(who, outcome->total, outcome->detail));
        throw PrintError(Messages::DeliveryBroken(who, outcome->taken, outcome->total, outcome->detail));
    case Delivery::Outcome::Delivering:
        throw PrintError(Messages::DeliveryStalled(who, outcome->taken, outcome->total, seconds(clock.elapsed())));
    }
}
