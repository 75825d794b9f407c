// zplsink --forward: the delay it adds to a print. zpltest's label, 200
// times, to a printer stand-in on 127.0.0.1 (a server here that takes each
// connection's bytes): straight to it, then through a zplsink forwarding to
// it. Each time runs from the sender's connection to the stand-in having the
// whole job and its connection closed: median and 95th percentile of both,
// and the difference of the medians.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QByteArray Job = "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ";

struct StandIn
{
    QTcpServer server;
    int jobs = 0;
    StandIn()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] { ++jobs, socket->deleteLater(); });
            }
        });
    }
};

// Milliseconds for each of `count` jobs sent to `port` to reach the stand-in.
std::vector<double> times(StandIn &printer, quint16 port, int count)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const int before = printer.jobs;
        QElapsedTimer clock;
        clock.start();
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
        socket.write(Job);
        socket.disconnectFromHost();
        while (printer.jobs == before && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char *what, const std::vector<double> &ms)
{
    std::printf("%-34s median %6.2f ms, 95th percentile %6.2f ms\n", what, ms[ms.size() / 2], ms[ms.size() * 95 / 100]);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    StandIn printer;
    const std::vector<double> direct = times(printer, printer.server.serverPort(), 200);
    QTemporaryDir spool;
    QProcess sink;
    sink.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--out"), spool.path(),
                                             QStringLiteral("--forward"), QStringLiteral("127.0.0.1:%1").arg(printer.server.serverPort())});
    QByteArray output;
    static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    quint16 port = 0;
    while (port == 0 && sink.waitForReadyRead(10000))
        port = quint16(listening.match(QString::fromUtf8(output += sink.readAllStandardOutput())).captured(1).toUInt());
    if (port == 0) {
        std::fprintf(stderr, "forward: zplsink did not start\n");
        return 1;
    }
    const std::vector<double> forwarded = times(printer, port, 200);
    report("straight to the printer", direct);
    report("through zplsink --forward", forwarded);
    std::printf("delay added (medians): %.2f ms\n", forwarded[forwarded.size() / 2] - direct[direct.size() / 2]);
    sink.kill();
    sink.waitForFinished();
    return 0;
}
