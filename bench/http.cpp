// zplsink's HTTP service under load: the shipping label answered as PNG and as
// PDF at 12 dots/mm, over kept-alive connections on 127.0.0.1, with one client
// and with four (each sends its next request as soon as it has its answer).
// The clients cost little per request (a thread each, blocking sockets, the
// request written once, only the head of the answer parsed), so that the
// figures are the server's: requests per second, the median and 99th
// percentile request time, the CPU zplsink used (in cores, from its
// /proc/PID/stat) and its memory after 1 000 and after 10 000 requests.
//
//   bench/http [ZPLSINK]     another zplsink to measure (default: this build's)
//
// Goals: with four clients on two cores the server uses more than 1.5 cores;
// a median under 8 ms with one client.

#include "PeakMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// A connection sending the same request again and again; reconnects when the
// server ends a connection. Request times in ms go to `times`.
bool client(quint16 port, const std::string &request, int count, std::vector<double> *times)
{
    int fd = -1;
    std::string answer;
    char chunk[65536];
    for (int i = 0; i < count; ++i) {
        if (fd < 0) {
            fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(port);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0)
                return false;
            answer.clear();
        }
        QElapsedTimer clock;
        clock.start();
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
            return false;
        std::size_t head = std::string::npos, total = 0;
        while (head == std::string::npos || answer.size() < total) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got <= 0)
                return false;
            answer.append(chunk, std::size_t(got));
            if (head == std::string::npos && (head = answer.find("\r\n\r\n")) != std::string::npos) {
                const std::size_t at = answer.find("Content-Length: ");
                if (answer.compare(0, 12, "HTTP/1.1 200") != 0 || at == std::string::npos || at > head)
                    return false;
                total = head + 4 + std::stoul(answer.substr(at + 16));
            }
        }
        times->push_back(clock.nsecsElapsed() / 1e6);
        const bool closing = answer.substr(0, head).find("Connection: close") != std::string::npos;
        answer.erase(0, total);
        if (closing) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd >= 0)
        ::close(fd);
    return true;
}

// CPU time the process has used, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// `clients` clients sending `each` requests; prints what it measured.
bool run(quint16 port, qint64 pid, const char *name, const std::string &request, int clients, int each)
{
    std::vector<std::vector<double>> times(static_cast<std::size_t>(clients));
    std::atomic<bool> ok{true};
    const double cpuBefore = cpuSeconds(pid);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            if (!client(port, request, each, &times[std::size_t(i)]))
                ok = false;
        });
    for (std::thread &t : threads)
        t.join();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cores = (cpuSeconds(pid) - cpuBefore) / seconds;
    std::vector<double> all;
    for (const auto &t : times)
        all.insert(all.end(), t.begin(), t.end());
    if (!ok || all.empty()) {
        std::fprintf(stderr, "http: %s failed\n", name);
        return false;
    }
    std::sort(all.begin(), all.end());
    std::printf("%-5s %d client%s: %5zu requests in %6.2f s, %6.0f requests/s, median %6.2f ms, 99%% %6.2f ms, "
                "server %4.2f cores\n",
                name, clients, clients > 1 ? "s" : " ", all.size(), seconds, all.size() / seconds,
                all[all.size() / 2], all[all.size() * 99 / 100], cores);
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
    // zplsink's terminal lines go nowhere: a pipe nobody reads while the
    // clients run would fill. So the port is chosen here, not read from them.
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    QProcess sink;
    sink.setStandardOutputFile(QProcess::nullDevice());
    sink.start(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ZPLSINK_PATH),
               {QStringLiteral("--http"), QString::number(port)});
    QTcpSocket up;
    for (int i = 0; i < 100 && up.state() != QAbstractSocket::ConnectedState; ++i) {
        QThread::msleep(50);
        up.connectToHost(QHostAddress::LocalHost, port);
        up.waitForConnected(1000);
    }
    if (up.state() != QAbstractSocket::ConnectedState) {
        std::fprintf(stderr, "http: zplsink --http did not start\n");
        return 1;
    }
    up.close();
    const auto request = [&](const QByteArray &accept) {
        return ("POST /v1/printers/12dpmm/labels/4x8/0/ HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: " + accept
                + "\r\nContent-Length: " + QByteArray::number(label.size()) + "\r\n\r\n" + label)
            .toStdString();
    };
    const std::string png = request("image/png"), pdf = request("application/pdf");
    const qint64 pid = sink.processId();
    const QString status = QStringLiteral("/proc/%1/status").arg(pid);
    bool ok = run(port, pid, "warm", png, 1, 50) && run(port, pid, "PNG", png, 1, 950);
    const long peak = PeakKb(status), now = PeakKb(status, "VmRSS:");
    ok = ok && run(port, pid, "PNG", png, 4, 500) && run(port, pid, "PDF", pdf, 1, 500)
      && run(port, pid, "PDF", pdf, 4, 250);
    ok = ok && run(port, pid, "PNG", png, 4, 1375);     // 10 000 in all
    std::printf("zplsink memory: peak %ld kB, now %ld kB after 1 000 requests; peak %ld kB, now %ld kB after 10 000\n",
                peak, now, PeakKb(status), PeakKb(status, "VmRSS:"));
    sink.kill();
    sink.waitForFinished();
    return ok ? 0 : 1;
}
