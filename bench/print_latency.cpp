// Wall time and CPU time of one network print request against a printer on
// 127.0.0.1, next to the floor that its own pacing sets: the 10 + 5 pump-wait
// iterations alone, measured in the same run.

#include "PrintCommand.h"
#include "TestFiles.h"
#include "Winsock.h"
#include "modMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int Runs = 200;

class BenchWindow : public QObject, public PrintSurface
{
public:
    QObject *surfaceObject() override { return this; }
    bool isOpen() const override { return true; }
    QString currentText() const override { return QStringLiteral("bench 0001"); }
    Winsock &socket() override { return winsock; }
    QString &netJob() override { return job; }
    void showMessage(const QString &text) override { last = text; }

    Winsock winsock{this};
    QString job;
    QString last;
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    QTcpServer printer;
    if (!printer.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    qint64 received = 0;
    QObject::connect(&printer, &QTcpServer::newConnection, &printer, [&] {
        while (QTcpSocket *s = printer.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, s, [&received, s] { received += s->readAll().size(); });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });

    testfiles::ProgramFolder folder;
    folder.writeConfig(testfiles::Config("ip;", printer.serverPort()));

    BenchWindow window;
    PrintCommand command(window, folder.environment());

    std::vector<double> requestMs, floorMs, cpuMs;
    QElapsedTimer clock;
    for (int i = 0; i < Runs; ++i) {
        const double cpu0 = cpuSeconds();
        clock.start();
        command.run();
        requestMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuMs.push_back((cpuSeconds() - cpu0) * 1e3);
        if (window.last != QStringLiteral("打印成功")) {
            std::fprintf(stderr, "request %d failed: %s\n", i, qPrintable(window.last));
            return 1;
        }
        clock.start();
        modMain::PumpWait(10);
        modMain::PumpWait(5);
        floorMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    const double request = median(requestMs);
    const double floor = median(floorMs);
    double cpuTotal = 0;
    for (double c : cpuMs)
        cpuTotal += c;
    std::printf("runs: %d, bytes received: %lld\n", Runs, static_cast<long long>(received));
    std::printf("median request:         %.3f ms\n", request);
    std::printf("median floor (15 pumps): %.3f ms\n", floor);
    std::printf("ratio:                  %.3f (goal <= 1.10)\n", request / floor);
    std::printf("CPU per request:        %.3f ms mean, %.3f ms median (goal <= 2 ms)\n",
                cpuTotal / Runs, median(cpuMs));
    return 0;
}
