// zplsink: listens where a network label printer would and shows every job
// it receives. Ends cleanly on Ctrl+C.

#include "Sink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "zplsink: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zplsink"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZPLTEST_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "虚拟网络标签打印机：在本机监听打印机端口，显示收到的每个 ZPL 打印任务（时间、来源、字节数和内容）。\n"
        "按 Ctrl+C 退出。\n"
        "A virtual network label printer: listens on this machine where a printer would and shows every ZPL\n"
        "job it receives (time, peer, byte count and the job itself). Press Ctrl+C to quit."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("监听的端口，默认 9100；0 表示任选 / port to listen on, 9100 by default; 0: any free one"),
        QStringLiteral("port"), QStringLiteral("9100"));
    const QCommandLineOption listenOption(
        {QStringLiteral("l"), QStringLiteral("listen")},
        QStringLiteral("监听的地址，默认 127.0.0.1 / address to listen on, 127.0.0.1 by default"),
        QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption outOption(
        {QStringLiteral("o"), QStringLiteral("out")},
        QStringLiteral("把每个任务另存为该文件夹中编号的 .zpl 文件 / also save each job as a numbered .zpl file in this folder"),
        QStringLiteral("folder"));
    parser.addOptions({portOption, listenOption, outOption});
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535)
        return fail(QStringLiteral("端口无效 / invalid port: %1").arg(parser.value(portOption)));
    const QHostAddress address(parser.value(listenOption));
    if (address.isNull())
        return fail(QStringLiteral("地址无效 / invalid address: %1").arg(parser.value(listenOption)));

    Sink sink;
    if (parser.isSet(outOption) && !sink.setOutputFolder(parser.value(outOption)))
        return fail(QStringLiteral("无法创建文件夹 / cannot create folder: %1").arg(parser.value(outOption)));
    if (!sink.listen(address, quint16(port)))
        return fail(QStringLiteral("无法在 %1:%2 监听 / cannot listen on %1:%2: %3")
                        .arg(address.toString(), QString::number(port), sink.errorString()));
    std::printf("zplsink %s: 正在监听 %s:%u，按 Ctrl+C 退出 / listening on %s:%u, Ctrl+C quits\n\n",
                ZPLTEST_VERSION, qPrintable(address.toString()), sink.port(), qPrintable(address.toString()),
                sink.port());
    std::fflush(stdout);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    stopCheck.start(100);
    return app.exec();
}
