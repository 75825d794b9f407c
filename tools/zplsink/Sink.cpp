#include "Sink.h"

#include "Forwarder.h"
#include "LabelText.h"
#include "Renderer.h"
#include "SinkTexts.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace {

// A job larger than this is cut: nobody prints 16 MiB labels, and the sink
// must not run out of memory on a stream of garbage.
constexpr qint64 MaxJobBytes = 16 * 1024 * 1024;
// A connection that sends nothing for this long is ended and reported.
constexpr int IdleMs = 30000;
// Answers wait no further once this much is unread by the client: a stream
// of queries from a host that never reads must not fill the memory.
constexpr qint64 MaxUnreadAnswers = 1024 * 1024;
// Of a job's answers, this much is kept to be shown.
constexpr qsizetype KeptAnswerBytes = 64 * 1024;

// The job as text for a terminal: bytes pass as they are, but control
// characters other than tab and line breaks show as \xNN, one per byte, so
// that no escape sequence in a job can act on the terminal. These are C0 and
// DEL, a C1 byte (0x80-0x9F) that is no part of a UTF-8 character, and a C1
// character in UTF-8 (U+0080-U+009F: C2 80 to C2 9F, shown as \xc2\xNN).
// Well-formed UTF-8 characters otherwise pass whole.
QByteArray printable(const QByteArray &data)
{
    const auto at = [&data](qsizetype i) {
        return i < data.size() ? unsigned(static_cast<unsigned char>(data[i])) : 0u;
    };
    // The length of the well-formed UTF-8 character at `i`, 1 for any other byte.
    const auto characterLength = [&at](qsizetype i) -> qsizetype {
        const unsigned lead = at(i);
        const qsizetype length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 1;
        const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (length > 1 && (at(i + 1) < low || at(i + 1) > high))
            return 1;
        for (qsizetype j = 2; j < length; ++j) {
            if (at(i + j) < 0x80 || at(i + j) > 0xBF)
                return 1;
        }
        return length;
    };
    const auto isControl = [](unsigned u) {
        return (u < 0x20 && u != '\t' && u != '\n' && u != '\r') || (u >= 0x7f && u < 0xa0);
    };

    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size();) {
        const qsizetype length = characterLength(i);
        if (isControl(at(i)) || (length == 2 && at(i) == 0xC2 && at(i + 1) < 0xA0)) {
            for (qsizetype j = i; j < i + length; ++j)
                out += "\\x" + QByteArray::number(at(j), 16).rightJustified(2, '0');
        } else {
            out.append(data.constData() + i, length);
        }
        i += length;
    }
    return out;
}

} // namespace

QString AnswerText(const QByteArray &answers)
{
    QString text;
    for (const char c : answers) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f)
            text += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
        if (c == '\n')
            text += QLatin1Char('\n');
    }
    return text;
}

Sink::Sink(QObject *parent) : QObject(parent) {}

// A socket going away with the server would report its end to a Sink that is
// half gone: the open jobs end here, while everything is in place.
Sink::~Sink()
{
    while (!m_jobs.isEmpty()) {
        QTcpSocket *socket = m_jobs.begin().key();
        socket->disconnect(this);
        finish(socket);
    }
}

void Sink::setHostStatus(const zpl::HostStatus &status)
{
    m_hostStatus = status;
    for (Job &job : m_jobs)
        job.printer->setHostStatus(status);
}

bool Sink::setOutputFolder(const QString &path)
{
    if (path.isEmpty() || !QDir().mkpath(path))
        return false;
    m_folder = QDir(path);
    m_saving = true;
    numberAfter(m_folder, QStringLiteral("^job-(\\d+)\\.zpl$"));
    return true;
}

bool Sink::setImageFolder(const QString &path)
{
    if (path.isEmpty() || !QDir().mkpath(path))
        return false;
    m_images = QDir(path);
    m_imaging = true;
    numberAfter(m_images, QStringLiteral("^job-(\\d+)-\\d+\\.png$"));
    return true;
}

// Go on after the highest number already there, so that nothing is overwritten.
void Sink::numberAfter(const QDir &folder, const QString &pattern)
{
    const QRegularExpression numbered(pattern);
    for (const QString &name : folder.entryList({QStringLiteral("job-*")}, QDir::Files)) {
        const auto match = numbered.match(name);
        if (match.hasMatch())
            m_next = qMax(m_next, match.captured(1).toInt() + 1);
    }
}

bool Sink::listen(const QList<QHostAddress> &addresses, quint16 port)
{
    for (const QHostAddress &address : addresses) {
        auto server = std::make_unique<QTcpServer>();
        if (!server->listen(address, m_servers.empty() ? port : this->port())) {
            const bool lacking = server->serverError() == QAbstractSocket::UnsupportedSocketOperationError
                                 || server->serverError() == QAbstractSocket::SocketAddressNotAvailableError;
            if (lacking && (!m_servers.empty() || &address != &addresses.back()))
                continue;
            m_error = server->errorString();
            m_servers.clear();
            return false;
        }
        connect(server.get(), &QTcpServer::newConnection, this, [this, s = server.get()] { accept(s); });
        m_servers.push_back(std::move(server));
    }
    return !m_servers.empty();
}

QString Sink::where() const
{
    QStringList places;
    for (const auto &server : m_servers)
        places << place(server->serverAddress(), server->serverPort());
    return places.join(QStringLiteral(", "));
}

QString Sink::place(const QHostAddress &address, quint16 port)
{
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    return QString::fromLatin1(v6 ? "[%1]:%2" : "%1:%2").arg(address.toString()).arg(port);
}

void Sink::accept(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        Job &job = m_jobs[socket];
        job.number = m_next++;
        job.printer = std::make_shared<zpl::Printer>(m_media);
        job.printer->setState(m_persisting);
        job.printer->setHostStatus(m_hostStatus);
        job.printer->setStorage(m_storage); // one memory for all connections, as a printer has
        job.peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        if (m_forwarder)
            job.spool = m_forwarder->openJob();
        job.idle = new QTimer(socket);
        job.idle->setSingleShot(true);
        job.idle->start(IdleMs);
        connect(job.idle, &QTimer::timeout, socket, [socket] { socket->disconnectFromHost(); });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { receive(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { finish(socket); });
        receive(socket);
    }
}

void Sink::receive(QTcpSocket *socket)
{
    Job &job = m_jobs[socket];
    const QByteArray chunk = socket->readAll();
    const qint64 room = MaxJobBytes - job.data.size();
    if (chunk.size() > room) {
        job.data += chunk.left(room);
        job.dropped += chunk.size() - room;
    } else {
        job.data += chunk;
    }
    if (job.spool)
        job.spool->write(chunk);    // whole, beyond what is kept to show
    if (!chunk.isEmpty()) {
        job.idle->start(IdleMs);
        print(job, job.printer->feed(chunk.left(room)));
        answer(socket, job);
    }
}

// Status answers on the connection as the queries arrive: zplsink's own, or,
// forwarding, the printer's (in the order asked).
void Sink::answer(QTcpSocket *socket, Job &job)
{
    const auto send = [this, socket = QPointer<QTcpSocket>(socket)](const QByteArray &answers) {
        if (!socket || answers.isEmpty() || socket->bytesToWrite() >= MaxUnreadAnswers || socket->write(answers) <= 0)
            return;
        const auto it = m_jobs.find(socket);
        if (it == m_jobs.end())
            return;
        it->answers += answers.left(KeptAnswerBytes - it->answers.size());
        it->answered += answers.size();
    };
    if (!m_forwarder) {
        send(job.printer->takeReplies());
        return;
    }
    for (const zpl::Printer::Reply &reply : job.printer->takeRepliesByQuery())
        m_forwarder->ask(reply.query, reply.answer, send);
}

void Sink::print(Job &job, const std::vector<zpl::Label> &labels)
{
    for (const zpl::Label &label : labels) {
        const QString name =
            QStringLiteral("job-%1-%2.png").arg(job.number, 4, 10, QLatin1Char('0')).arg(job.labels.size() + 1);
        QString line = DescribeLabel(label, name);
        if (m_imaging) {
            QString error;
            const QString path = m_images.filePath(name);
            line += zpl::SavePng(label, path, &error)
                        ? QStringLiteral("\n    -> ") + path
                        : QStringLiteral("\n    ") + SinkTexts::CannotSave(path, error);
        }
        job.labels.append(line);
        job.printed.push_back(label);
    }
}

void Sink::finish(QTcpSocket *socket)
{
    receive(socket);
    Job job = m_jobs.take(socket);
    socket->deleteLater();
    if (m_forwarder && job.spool) {
        job.spool->close();
        m_forwarder->send(job.spool->fileName());
    }
    print(job, job.printer->finish());
    if (job.printer->skippedLabels() > 0)
        job.labels.append(DescribeSkipped(job.printer->skippedLabels()));
    m_persisting = job.printer->state();

    const QDateTime now = QDateTime::currentDateTime();
    QString line = QStringLiteral("[%1] %2  %3 字节 bytes").arg(SinkTexts::Timestamp(now), job.peer).arg(job.data.size());
    if (job.dropped > 0)
        line += QStringLiteral("（超出上限，另有 %1 字节未保留 / %1 more bytes dropped）").arg(job.dropped);
    if (m_saving)
        line += QStringLiteral("  -> ") + save(job.data, job.number);
    QByteArray report = line.toUtf8() + '\n' + printable(job.data) + "\n";
    for (const QString &label : job.labels)
        report += label.toUtf8() + '\n';
    report += '\n';
    std::fwrite(report.constData(), 1, std::size_t(report.size()), stdout);
    std::fflush(stdout);
    emit jobReceived({job.number, now, job.peer, job.data, job.dropped, job.printer->media(),
                      std::move(job.printed), job.printer->skippedLabels(), job.answers, job.answered});
}

QString Sink::save(const QByteArray &data, int number)
{
    QFile file(m_folder.filePath(SinkTexts::JobFileName(number)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(data) != data.size())
        return SinkTexts::CannotSave(file.fileName(), file.errorString());
    return file.fileName();
}
