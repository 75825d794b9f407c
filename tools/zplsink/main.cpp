// zplsink: listens where a network label printer would and shows every job
// it receives, and renders its labels. Ends cleanly on Ctrl+C. With --render
// it renders a ZPL file to PNG images instead, without listening.

#include "ConfigAddress.h"
#include "HttpService.h"
#include "LabelText.h"
#include "MediaText.h"
#include "Platform.h"
#include "Renderer.h"
#include "SettingsFile.h"
#include "Sink.h"
#include "SinkWindow.h"

#include <QApplication>
#include <QMessageBox>

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "zplsink: %s\n", message.toUtf8().constData());
    return 1;
}

// Renders one job file (or standard input for "-") into `folder`.
int renderFile(const QString &path, const zpl::Media &media, const QString &folder)
{
    QFile file;
    const bool stdinJob = path == QLatin1String("-");
    const bool opened = stdinJob ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(QStringLiteral("无法读取 / cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray job = file.read(64 * 1024 * 1024);
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        return fail(QStringLiteral("无法创建文件夹 / cannot create folder: %1").arg(folder));
    const QDir out(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QString base = stdinJob ? QStringLiteral("stdin") : QFileInfo(path).completeBaseName();
    zpl::Printer printer(media);
    std::vector<zpl::Label> labels = printer.feed(job);
    for (zpl::Label &label : printer.finish())
        labels.push_back(std::move(label));
    if (labels.empty())
        std::printf("%s: 没有标签 / no labels (no ^XA ... ^XZ format)\n", path.toUtf8().constData());
    int status = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QString name = QStringLiteral("%1-%2.png").arg(base).arg(i + 1);
        QString error;
        if (!zpl::SavePng(labels[i], out.filePath(name), &error))
            status = fail(QStringLiteral("无法保存 / cannot save %1: %2").arg(out.filePath(name), error));
        std::printf("%s\n", DescribeLabel(labels[i], out.filePath(name)).toUtf8().constData());
    }
    if (printer.skippedLabels() > 0)
        std::printf("%s\n", DescribeSkipped(printer.skippedLabels()).toUtf8().constData());
    std::fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // Everything zplsink writes is UTF-8, as its texts are.
    platform::UseUtf8Console();
    // Double-clicked on Windows: the window, listening where the Config.ini
    // beside the program says, which is where zpltest prints.
    const bool fromDesktop = argc == 1 && platform::StartedFromDesktop();
    const bool windowed = fromDesktop
        || std::any_of(argv + 1, argv + argc, [](const char *a) { return !std::strcmp(a, "--window"); });
    // Labels are drawn with fonts, which need a GUI application; without its
    // window zplsink needs no display.
    if (!windowed && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QGuiApplication> application(windowed ? new QApplication(argc, argv)
                                                                 : new QGuiApplication(argc, argv));
    QGuiApplication &app = *application;
    QCoreApplication::setOrganizationName(QStringLiteral("zpltest"));
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
    const QCommandLineOption pngOption(
        QStringLiteral("png"),
        QStringLiteral("把每个标签画成 PNG 图像存入该文件夹（job-NNNN-L.png）/ save each label as a PNG image in this folder (job-NNNN-L.png)"),
        QStringLiteral("folder"));
    const QCommandLineOption renderOption(
        QStringLiteral("render"),
        QStringLiteral("不监听，把 ZPL 文件（- 为标准输入）画成 PNG：JOB-1.png、JOB-2.png… 存入 --out 文件夹（默认当前文件夹）/ "
                       "do not listen: render a ZPL file (- for standard input) to JOB-1.png, JOB-2.png ... in the --out folder "
                       "(default: the current one)"),
        QStringLiteral("file"));
    const QCommandLineOption mediaOption(
        QStringLiteral("media"),
        QStringLiteral("标签纸尺寸，默认 4x6in；或 宽x长mm / media size, 4x6in by default, or WxLmm"),
        QStringLiteral("size"), QStringLiteral("4x6in"));
    const QCommandLineOption dpmmOption(
        QStringLiteral("dpmm"), QStringLiteral("每毫米点数：6、8（默认）、12、24 / dots per mm: 6, 8 (default), 12, 24"),
        QStringLiteral("n"), QStringLiteral("8"));
    const QCommandLineOption configOption(
        QStringLiteral("config"),
        QStringLiteral("在 zpltest 的 Config.ini 里 [network] 的 printerip/printerport 处监听（只限本机地址）/ "
                       "listen where printerip/printerport under [network] of zpltest's Config.ini say (this machine only)"),
        QStringLiteral("file"));
    const QCommandLineOption paperOutOption(
        QStringLiteral("paper-out"), QStringLiteral("状态应答报告缺纸 / status answers say the paper is out"));
    const QCommandLineOption pausedOption(
        QStringLiteral("paused"), QStringLiteral("状态应答报告已暂停 / status answers say the printer is paused"));
    const QCommandLineOption windowOption(
        QStringLiteral("window"),
        QStringLiteral("在窗口中显示收到的标签（标签纸尺寸和每毫米点数会被记住）/ "
                       "show the labels received in a window (media size and dots per mm are remembered)"));
    const QCommandLineOption httpOption(
        QStringLiteral("http"),
        QStringLiteral("在该端口提供标签渲染 HTTP 服务（POST/GET /v1/printers/8dpmm/labels/4x6/0/，PNG 或 PDF）；"
                       "不给 --port 或 --config 时只提供 HTTP 服务 / serve labels as PNG or PDF over HTTP on this port "
                       "(POST/GET /v1/printers/8dpmm/labels/4x6/0/); without --port or --config, HTTP only"),
        QStringLiteral("port"));
    parser.addOptions({windowOption, portOption, listenOption, configOption, httpOption, outOption, pngOption, renderOption,
                       mediaOption, dpmmOption, paperOutOption, pausedOption});
    parser.process(app);

    zpl::Media media;
    media.dpmm = parser.value(dpmmOption).toInt();
    if (media.dpmm != 6 && media.dpmm != 8 && media.dpmm != 12 && media.dpmm != 24)
        return fail(QStringLiteral("每毫米点数无效 / invalid dots per mm: %1 (6, 8, 12 or 24)").arg(parser.value(dpmmOption)));
    if (!ParseMedia(parser.value(mediaOption), &media))
        return fail(QStringLiteral("标签纸尺寸无效 / invalid media size: %1 (e.g. 4x6in or 100x150mm)")
                        .arg(parser.value(mediaOption)));
    if (windowed)
        media = SinkWindow::RememberedMedia(media, parser.isSet(mediaOption), parser.isSet(dpmmOption));
    if (parser.isSet(renderOption))
        return renderFile(parser.value(renderOption), media, parser.value(outOption));

    ListenAddress where;
    QString error;
    const QString besideConfig = SettingsFile::Path(QCoreApplication::applicationDirPath());
    if (parser.isSet(configOption) || (fromDesktop && QFileInfo::exists(besideConfig))) {
        const QString config = parser.isSet(configOption) ? parser.value(configOption) : besideConfig;
        if (!ReadListenAddress(config, &where, &error)) {
            // Started by a double-click, the console closes with the program.
            if (fromDesktop)
                QMessageBox::critical(nullptr, QStringLiteral("zplsink"), error);
            return fail(error);
        }
    } else {
        bool ok = false;
        const uint port = parser.value(portOption).toUInt(&ok);
        if (!ok || port > 65535)
            return fail(QStringLiteral("端口无效 / invalid port: %1").arg(parser.value(portOption)));
        where = {{QHostAddress(parser.value(listenOption))}, quint16(port)};
        if (where.addresses.front().isNull())
            return fail(QStringLiteral("地址无效 / invalid address: %1").arg(parser.value(listenOption)));
    }

    // --http alone serves HTTP only; with --port or --config, the printer too.
    const bool http = parser.isSet(httpOption);
    const bool printer = !http || parser.isSet(portOption) || parser.isSet(configOption);
    bool httpOk = false;
    const uint httpPort = parser.value(httpOption).toUInt(&httpOk);
    if (http && (!httpOk || httpPort > 65535))
        return fail(QStringLiteral("HTTP 端口无效 / invalid HTTP port: %1").arg(parser.value(httpOption)));

    Sink sink;
    if (parser.isSet(outOption) && !sink.setOutputFolder(parser.value(outOption)))
        return fail(QStringLiteral("无法创建文件夹 / cannot create folder: %1").arg(parser.value(outOption)));
    if (parser.isSet(pngOption) && !sink.setImageFolder(parser.value(pngOption)))
        return fail(QStringLiteral("无法创建文件夹 / cannot create folder: %1").arg(parser.value(pngOption)));
    sink.setMedia(media);
    zpl::HostStatus status;
    status.paperOut = parser.isSet(paperOutOption);
    status.paused = parser.isSet(pausedOption);
    sink.setHostStatus(status);
    const auto refuse = [windowed](const QString &message) {
        fail(message);
        if (windowed)
            QMessageBox::critical(nullptr, QStringLiteral("zplsink"), message);
        return 1;
    };
    if (printer && !sink.listen(where.addresses, where.port)) {
        QStringList places;
        for (const QHostAddress &address : where.addresses)
            places << Sink::place(address, where.port);
        return refuse(QStringLiteral("无法在 %1 监听 / cannot listen on %1: %2")
                          .arg(places.join(QStringLiteral(", ")), sink.errorString()));
    }
    if (printer)
        std::printf("zplsink %s: 正在监听 %s，按 Ctrl+C 退出 / listening on %s, Ctrl+C quits\n\n", ZPLTEST_VERSION,
                    qPrintable(sink.where()), qPrintable(sink.where()));
    HttpService *service = nullptr;
    if (http) {
        const QHostAddress httpAddress(parser.value(listenOption));
        service = HttpService::start(httpAddress, quint16(httpPort), &app, &error);
        if (!service)
            return refuse(QStringLiteral("无法在 %1:%2 提供 HTTP 服务 / cannot serve HTTP on %1:%2: %3")
                              .arg(httpAddress.toString(), QString::number(httpPort), error));
        std::printf("zplsink %s: HTTP 服务在 http://%s:%u/，按 Ctrl+C 退出 / HTTP service on http://%s:%u/, Ctrl+C "
                    "quits\n\n",
                    ZPLTEST_VERSION, qPrintable(httpAddress.toString()), service->port(),
                    qPrintable(httpAddress.toString()), service->port());
    }
    std::fflush(stdout);

    std::unique_ptr<SinkWindow> window;
    if (windowed) {
        const QString shown = printer ? sink.where()
                                      : QStringLiteral("http://%1:%2").arg(parser.value(listenOption)).arg(service->port());
        window = std::make_unique<SinkWindow>(&sink, media, shown);
        if (service)
            QObject::connect(service, &HttpService::jobReceived, window.get(), &SinkWindow::addJob);
        window->show();
    }

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    platform::IgnoreBrokenPipe(); // a client or the terminal's pipe that goes away ends no printer
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    stopCheck.start(100);
    return app.exec();
}
