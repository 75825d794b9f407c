// zplsink --watch: the time from a job file's arrival in the folder (written
// and closed there, or moved in whole) to its PNG, for 200 files of the
// shipping label each, one after another: median and 95th percentile.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

// Milliseconds from `arrive()` to the PNG `png` appearing.
double timeToPng(const std::function<void()> &arrive, const QString &png)
{
    QElapsedTimer clock;
    clock.start();
    arrive();
    while (!QFile::exists(png) && clock.elapsed() < 20000)
        QThread::usleep(200);
    return clock.nsecsElapsed() / 1e6;
}

void report(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s median %7.1f ms, 95th percentile %7.1f ms (%zu files)\n", what, ms[ms.size() / 2],
                ms[ms.size() * 95 / 100], ms.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    QFile label(QStringLiteral(SHIPPING_LABEL));
    if (!label.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray job = label.readAll();
    QProcess sink;
    sink.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--watch"), dir.path()});
    if (!sink.waitForReadyRead(10000)) {
        std::fprintf(stderr, "watch: zplsink did not start\n");
        return 1;
    }
    const auto write = [&](const QString &path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(job);
    };
    std::vector<double> closed, moved;
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("w%1").arg(i);
        closed.push_back(timeToPng([&] { write(folder.filePath(name + ".zpl")); }, folder.filePath("out/" + name + "-1.png")));
        write(dir.path() + "/../" + name + ".part");
        moved.push_back(timeToPng([&] { QFile::rename(dir.path() + "/../" + name + ".part", folder.filePath("m" + name + ".zpl")); },
                                  folder.filePath("out/m" + name + "-1.png")));
    }
    report("written and closed in the folder (Linux: told)", closed);
    report("moved into the folder", moved);
    sink.kill();
    sink.waitForFinished();
    return 0;
}
