// zplsink under load: 10 000 jobs of zpltest's label, one connection each, to
// a zplsink on 127.0.0.1 that renders them and saves their PNGs. Each job is
// sent when the previous one has been reported (so that no connection waits
// in the listen queue). Prints the jobs per second and zplsink's peak memory
// after 1 000 jobs and at the end, so that growth with the number of jobs shows.

#include "PeakMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Jobs = 10000;
const QByteArray Job = "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir images;
    QProcess sink;
    sink.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--png"),
                                             images.path()});
    QByteArray output;
    quint16 port = 0;
    static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    while (port == 0 && sink.waitForReadyRead(5000)) {
        output += sink.readAllStandardOutput();
        const auto match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch())
            port = quint16(match.captured(1).toUInt());
    }
    if (port == 0) {
        std::fprintf(stderr, "sink: zplsink did not start\n");
        return 1;
    }
    qint64 reported = 0;
    const auto waitFor = [&](qint64 count) {
        while (reported < count && sink.waitForReadyRead(10000))
            reported += sink.readAllStandardOutput().count("字节 bytes");
    };
    const QString status = QStringLiteral("/proc/%1/status").arg(sink.processId());
    QElapsedTimer clock;
    clock.start();
    long peakAtThousand = 0;
    for (int i = 1; i <= Jobs; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000)) {
            std::fprintf(stderr, "sink: job %d could not connect\n", i);
            return 1;
        }
        socket.write(Job);
        socket.waitForBytesWritten(5000);
        socket.disconnectFromHost();
        waitFor(i);
        if (i == 1000)
            peakAtThousand = PeakKb(status);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%lld of %d jobs rendered and saved in %.2f s: %.0f jobs/s; zplsink peak memory %ld kB after 1 000 "
                "jobs, %ld kB after %d\n",
                reported, Jobs, seconds, reported / seconds, peakAtThousand, PeakKb(status), Jobs);
    sink.kill();
    sink.waitForFinished();
    return reported == Jobs ? 0 : 1;
}
