// zplsink: listens where a network label printer would and shows every job
// it receives, and renders its labels. Ends cleanly on Ctrl+C. With --render
// it renders a ZPL file to PNG images instead, without listening.
//
// main() reads the options (Options.h) and starts each mode they ask for;
// a mode is one function here.

#include "FolderWatch.h"
#include "Forwarder.h"
#include "HttpService.h"
#include "LabelText.h"
#include "Options.h"
#include "Platform.h"
#include "Renderer.h"
#include "Sink.h"
#include "SinkTexts.h"
#include "SinkWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>
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

// Said on the terminal and, with the window, in a message box.
int refuse(const Options &options, const QString &message)
{
    fail(message);
    if (options.window)
        QMessageBox::critical(nullptr, SinkTexts::Title(), message);
    return 1;
}

// --render: one job file (or standard input for "-") into the --out folder.
int renderFile(const Options &options)
{
    const QString &path = *options.render;
    const QString folder = options.out.value_or(QString());
    QFile file;
    const bool stdinJob = path == QLatin1String("-");
    const bool opened = stdinJob ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(SinkTexts::CannotRead(path, file.errorString()));
    // Up to 64 MiB; a pipe gives its bytes in pieces, so read until its end.
    constexpr qint64 MaxJob = 64 * 1024 * 1024;
    QByteArray job;
    for (QByteArray piece; job.size() < MaxJob && !(piece = file.read(MaxJob - job.size())).isEmpty();)
        job += piece;
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        return fail(SinkTexts::CannotCreateFolder(folder));
    const QDir out(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QString base = stdinJob ? QStringLiteral("stdin") : QFileInfo(path).completeBaseName();
    zpl::Printer printer(options.media);
    std::vector<zpl::Label> labels = printer.feed(job);
    for (zpl::Label &label : printer.finish())
        labels.push_back(std::move(label));
    if (labels.empty())
        std::printf("%s\n", SinkTexts::NoLabelsIn(path).toUtf8().constData());
    int status = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const QString name = QStringLiteral("%1-%2.png").arg(base).arg(i + 1);
        QString error;
        if (!zpl::SavePng(labels[i], out.filePath(name), &error))
            status = fail(SinkTexts::CannotSave(out.filePath(name), error));
        std::printf("%s\n", DescribeLabel(labels[i], out.filePath(name)).toUtf8().constData());
    }
    if (printer.skippedLabels() > 0)
        std::printf("%s\n", DescribeSkipped(printer.skippedLabels()).toUtf8().constData());
    std::fflush(stdout);
    return status;
}

// --forward: the printer every job goes on to, or nullptr after saying why
// not. Its spool is the --out folder's spool/, else one in zplsink's data folder.
Forwarder *forwardTo(Sink &sink, const Options &options, QObject *parent)
{
    const QString spool = QDir(options.out.value_or(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)))
                              .filePath(QStringLiteral("spool"));
    auto *forwarder = new Forwarder(options.forwardHost, options.forwardPort, spool, parent);
    QString error;
    if (!forwarder->start(&error)) {
        refuse(options, error);
        return nullptr;
    }
    sink.setForwarder(forwarder);
    std::printf("%s\n", SinkTexts::Forwarding(forwarder->printer(), QDir::toNativeSeparators(spool)).toUtf8().constData());
    return forwarder;
}

// The printer: the sink set up as the options say (the window shows its jobs
// also when it does not listen) and, unless --http alone, listening. 0, or
// the exit status after saying why not.
int listenAsPrinter(Sink &sink, const Options &options)
{
    if (options.out && !sink.setOutputFolder(*options.out))
        return fail(SinkTexts::CannotCreateFolder(*options.out));
    if (options.png && !sink.setImageFolder(*options.png))
        return fail(SinkTexts::CannotCreateFolder(*options.png));
    sink.setMedia(options.media);
    sink.setHostStatus(options.status);
    if (!options.printer)
        return 0;
    if (!sink.listen(options.where.addresses, options.where.port)) {
        QStringList places;
        for (const QHostAddress &address : options.where.addresses)
            places << Sink::place(address, options.where.port);
        return refuse(options, SinkTexts::CannotListen(places.join(QStringLiteral(", ")), sink.errorString()));
    }
    std::printf("%s\n\n", SinkTexts::Listening(QStringLiteral(ZPLTEST_VERSION), sink.where()).toUtf8().constData());
    return 0;
}

// --http: the label-rendering web service, or nullptr after saying why not.
HttpService *serveHttp(const Options &options, QObject *parent)
{
    const QHostAddress address(options.listen);
    QString error;
    HttpService *service = HttpService::start(address, options.httpPort, parent, &error);
    if (!service) {
        refuse(options, SinkTexts::CannotServeHttp(address.toString(), options.httpPort, error));
        return nullptr;
    }
    std::printf("%s\n\n", SinkTexts::ServingHttp(QStringLiteral(ZPLTEST_VERSION), address.toString(), service->port())
                              .toUtf8().constData());
    return service;
}

// --watch: the folder's job files rendered as they come, or nullptr after saying why not.
FolderWatch *watchFolder(const Options &options, QObject *parent)
{
    auto *watch = new FolderWatch({*options.watch, options.out.value_or(QString()), options.pdf, options.media}, parent);
    QString error;
    if (!watch->start(&error)) {
        refuse(options, error);
        return nullptr;
    }
    std::printf("%s\n\n", SinkTexts::Watching(QStringLiteral(ZPLTEST_VERSION), QDir::toNativeSeparators(*options.watch),
                                              QDir::toNativeSeparators(watch->outFolder())).toUtf8().constData());
    return watch;
}

// --window: the sink's jobs, the service's requests and the folder's files, as they come.
std::unique_ptr<SinkWindow> showWindow(Sink &sink, HttpService *service, FolderWatch *watch, const Options &options)
{
    const QString shown = options.printer ? sink.where()
                          : service       ? QStringLiteral("http://%1:%2").arg(options.listen).arg(service->port())
                                          : QDir::toNativeSeparators(*options.watch);
    auto window = std::make_unique<SinkWindow>(&sink, options.media, shown);
    if (service)
        QObject::connect(service, &HttpService::jobReceived, window.get(), &SinkWindow::addJob);
    if (watch)
        QObject::connect(watch, &FolderWatch::fileDone, window.get(), &SinkWindow::addJob);
    if (watch && !options.printer && !service)  // said instead of where it listens
        window->showNotice(SinkTexts::Watching(QStringLiteral(ZPLTEST_VERSION), shown,
                                               QDir::toNativeSeparators(watch->outFolder())));
    window->show();
    return window;
}

// Ctrl+C and SIGTERM end the event loop (a handler only sets a flag).
void quitOnSignals(QCoreApplication *app)
{
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    platform::IgnoreBrokenPipe(); // a client or the terminal's pipe that goes away ends no printer
    auto *stopCheck = new QTimer(app);
    QObject::connect(stopCheck, &QTimer::timeout, app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    stopCheck->start(100);
}

} // namespace

int main(int argc, char *argv[])
{
    // Everything zplsink writes is UTF-8, as its texts are.
    platform::UseUtf8Console();
    Options options = StartOptions(argc, argv);
    // Labels are drawn with fonts, which need a GUI application; without its
    // window zplsink needs no display.
    if (!options.window && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QGuiApplication> app(options.window ? new QApplication(argc, argv)
                                                              : new QGuiApplication(argc, argv));
    QCoreApplication::setOrganizationName(QStringLiteral("zpltest"));
    QCoreApplication::setApplicationName(QStringLiteral("zplsink"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZPLTEST_VERSION));

    QString error;
    if (!ReadOptions(QCoreApplication::arguments(), &options, &error)) {
        // Double-clicked (no options: only the Config.ini beside it can be
        // wrong), the console closes with the program.
        if (options.fromDesktop)
            QMessageBox::critical(nullptr, SinkTexts::Title(), error);
        return fail(error);
    }
    if (options.window)
        options.media = SinkWindow::RememberedMedia(options.media, options.mediaGiven, options.dpmmGiven);
    if (options.render)
        return renderFile(options);

    Sink sink;
    Forwarder *forwarder = options.forwardHost.isEmpty() ? nullptr : forwardTo(sink, options, app.get());
    if (!options.forwardHost.isEmpty() && !forwarder)
        return 1;
    if (const int status = listenAsPrinter(sink, options))
        return status;
    HttpService *service = options.http ? serveHttp(options, app.get()) : nullptr;
    if (options.http && !service)
        return 1;
    FolderWatch *watch = options.watch ? watchFolder(options, app.get()) : nullptr;
    if (options.watch && !watch)
        return 1;
    std::fflush(stdout);
    const std::unique_ptr<SinkWindow> window = options.window ? showWindow(sink, service, watch, options) : nullptr;
    if (window && forwarder)
        QObject::connect(forwarder, &Forwarder::notice, window.get(), &SinkWindow::showNotice);
    quitOnSignals(app.get());
    return app->exec();
}
