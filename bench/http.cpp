// zplsink's HTTP service under load: the shipping test label answered as PNG
// and as PDF, over kept-alive connections on 127.0.0.1, with one client and
// with four (each sends its next request as soon as it has its answer).
// Prints the requests per second, the median and 99th percentile request time,
// and zplsink's memory (peak and resident) after 1 000 and after 10 000
// requests.
// Goals: at least 250 PNG requests a second with four clients, a median under
// 8 ms with one.

#include "PeakMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// One connection sending the same request again and again.
class Client
{
public:
    Client(quint16 port, const QByteArray &request, int count, std::vector<double> &times)
        : m_request(request), m_left(count), m_times(times)
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { receive(); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_socket.waitForConnected(5000);
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        send();
    }
    bool done() const { return m_left == 0 || m_failed; }
    bool failed() const { return m_failed; }

private:
    void send()
    {
        m_clock.start();
        m_socket.write(m_request);
    }
    void receive()
    {
        m_answer += m_socket.readAll();
        const qsizetype head = m_answer.indexOf("\r\n\r\n");
        if (head < 0)
            return;
        static const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"));
        const qsizetype body = length.match(QString::fromLatin1(m_answer.left(head))).captured(1).toLongLong();
        if (m_answer.size() < head + 4 + body)
            return;
        m_failed = !m_answer.startsWith("HTTP/1.1 200");
        m_times.push_back(m_clock.nsecsElapsed() / 1e6);
        m_answer.remove(0, head + 4 + body);
        if (--m_left > 0 && !m_failed)
            send();
    }

    QTcpSocket m_socket;
    QByteArray m_request, m_answer;
    int m_left;
    bool m_failed = false;
    QElapsedTimer m_clock;
    std::vector<double> &m_times;
};

// `clients` clients sending `each` requests; prints what it measured.
bool run(quint16 port, const char *name, const QByteArray &request, int clients, int each)
{
    std::vector<double> times;
    std::vector<std::unique_ptr<Client>> running;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < clients; ++i)
        running.push_back(std::make_unique<Client>(port, request, each, times));
    const auto done = [&] { return std::all_of(running.begin(), running.end(), [](const auto &c) { return c->done(); }); };
    while (!done() && clock.elapsed() < 300000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (times.empty() || std::any_of(running.begin(), running.end(), [](const auto &c) { return c->failed(); })) {
        std::fprintf(stderr, "http: %s failed\n", name);
        return false;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-5s %d client%s: %5zu requests in %6.2f s, %6.0f requests/s, median %6.2f ms, 99%% %6.2f ms\n", name,
                clients, clients > 1 ? "s" : " ", times.size(), seconds, times.size() / seconds, times[times.size() / 2],
                times[times.size() * 99 / 100]);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QFile file(QStringLiteral(SHIPPING_LABEL));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "http: cannot read %s\n", SHIPPING_LABEL);
        return 1;
    }
    const QByteArray label = file.readAll();
    QProcess sink;
    sink.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--http"), QStringLiteral("0")});
    quint16 port = 0;
    QByteArray output;
    static const QRegularExpression serving(QStringLiteral("HTTP service on http://127\\.0\\.0\\.1:(\\d+)/"));
    while (port == 0 && sink.waitForReadyRead(5000)) {
        output += sink.readAllStandardOutput();
        port = quint16(serving.match(QString::fromUtf8(output)).captured(1).toUInt());
    }
    if (port == 0) {
        std::fprintf(stderr, "http: zplsink --http did not start\n");
        return 1;
    }
    // Its terminal lines are not read: drop them rather than let them pile up.
    sink.setStandardOutputFile(QProcess::nullDevice());
    const auto request = [&](const QByteArray &accept) {
        return "POST /v1/printers/8dpmm/labels/4x8/0/ HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: " + accept
             + "\r\nContent-Length: " + QByteArray::number(label.size()) + "\r\n\r\n" + label;
    };
    const QByteArray png = request("image/png"), pdf = request("application/pdf");
    const QString status = QStringLiteral("/proc/%1/status").arg(sink.processId());
    bool ok = run(port, "warm", png, 1, 50) && run(port, "PNG", png, 1, 950);
    const long peak = PeakKb(status), now = PeakKb(status, "VmRSS:");
    ok = ok && run(port, "PNG", png, 4, 500) && run(port, "PDF", pdf, 1, 500) && run(port, "PDF", pdf, 4, 250);
    ok = ok && run(port, "PNG", png, 4, 1375);     // 10 000 in all
    std::printf("zplsink memory: peak %ld kB, now %ld kB after 1 000 requests; peak %ld kB, now %ld kB after 10 000\n",
                peak, now, PeakKb(status), PeakKb(status, "VmRSS:"));
    sink.kill();
    sink.waitForFinished();
    return ok ? 0 : 1;
}
