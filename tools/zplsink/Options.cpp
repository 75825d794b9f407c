#include "Options.h"

#include "MediaText.h"
#include "Platform.h"
#include "SettingsFile.h"
#include "SinkTexts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

bool refused(QString *error, const QString &text)
{
    *error = text;
    return false;
}

} // namespace

Options StartOptions(int argc, char *argv[])
{
    Options options;
    options.fromDesktop = argc == 1 && platform::StartedFromDesktop();
    options.window = options.fromDesktop
        || std::any_of(argv + 1, argv + argc, [](const char *a) { return !std::strcmp(a, "--window"); });
    return options;
}

bool ReadOptions(const QStringList &arguments, Options *options, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(SinkTexts::Description());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption({QStringLiteral("p"), QStringLiteral("port")}, SinkTexts::PortHelp(),
                                        QStringLiteral("port"), QStringLiteral("9100"));
    const QCommandLineOption listenOption({QStringLiteral("l"), QStringLiteral("listen")}, SinkTexts::ListenHelp(),
                                          QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption outOption({QStringLiteral("o"), QStringLiteral("out")}, SinkTexts::OutHelp(),
                                       QStringLiteral("folder"));
    const QCommandLineOption pngOption(QStringLiteral("png"), SinkTexts::PngHelp(), QStringLiteral("folder"));
    const QCommandLineOption renderOption(QStringLiteral("render"), SinkTexts::RenderHelp(), QStringLiteral("file"));
    const QCommandLineOption watchOption(QStringLiteral("watch"), SinkTexts::WatchHelp(), QStringLiteral("folder"));
    const QCommandLineOption pdfOption(QStringLiteral("pdf"), SinkTexts::PdfHelp());
    const QCommandLineOption forwardOption(QStringLiteral("forward"), SinkTexts::ForwardHelp(), QStringLiteral("host[:port]"));
    const QCommandLineOption mediaOption(QStringLiteral("media"), SinkTexts::MediaHelp(), QStringLiteral("size"),
                                         QStringLiteral("4x6in"));
    const QCommandLineOption dpmmOption(QStringLiteral("dpmm"), SinkTexts::DpmmHelp(), QStringLiteral("n"),
                                        QStringLiteral("8"));
    const QCommandLineOption configOption(QStringLiteral("config"), SinkTexts::ConfigHelp(), QStringLiteral("file"));
    const QCommandLineOption paperOutOption(QStringLiteral("paper-out"), SinkTexts::PaperOutHelp());
    const QCommandLineOption pausedOption(QStringLiteral("paused"), SinkTexts::PausedHelp());
    const QCommandLineOption windowOption(QStringLiteral("window"), SinkTexts::WindowHelp());
    const QCommandLineOption httpOption(QStringLiteral("http"), SinkTexts::HttpHelp(), QStringLiteral("port"));
    parser.addOptions({windowOption, portOption, listenOption, configOption, httpOption, outOption, pngOption, renderOption,
                       watchOption, pdfOption, forwardOption, mediaOption, dpmmOption, paperOutOption, pausedOption});
    parser.process(arguments);

    Options &o = *options;
    o.media.dpmm = parser.value(dpmmOption).toInt();
    if (!IsPrinterDpmm(o.media.dpmm))
        return refused(error, SinkTexts::InvalidDpmm(parser.value(dpmmOption)));
    if (!ParseMedia(parser.value(mediaOption), &o.media))
        return refused(error, SinkTexts::InvalidMedia(parser.value(mediaOption)));
    o.mediaGiven = parser.isSet(mediaOption);
    o.dpmmGiven = parser.isSet(dpmmOption);
    if (parser.isSet(outOption))
        o.out = parser.value(outOption);
    if (parser.isSet(pngOption))
        o.png = parser.value(pngOption);
    if (parser.isSet(renderOption)) {
        o.render = parser.value(renderOption);
        return true;
    }
    if (parser.isSet(watchOption))
        o.watch = parser.value(watchOption);
    o.pdf = parser.isSet(pdfOption);

    const QString besideConfig = SettingsFile::Path(QCoreApplication::applicationDirPath());
    if (parser.isSet(configOption) || (o.fromDesktop && QFileInfo::exists(besideConfig))) {
        if (!ReadListenAddress(parser.isSet(configOption) ? parser.value(configOption) : besideConfig, &o.where, error))
            return false;
    } else {
        bool ok = false;
        const uint port = parser.value(portOption).toUInt(&ok);
        if (!ok || port > 65535)
            return refused(error, SinkTexts::InvalidPort(parser.value(portOption)));
        o.where = {{QHostAddress(parser.value(listenOption))}, quint16(port)};
        if (o.where.addresses.front().isNull())
            return refused(error, SinkTexts::InvalidAddress(parser.value(listenOption)));
    }
    if (parser.isSet(forwardOption)) {
        // HOST, HOST:PORT, [IPv6]:PORT or a bare IPv6 address.
        const QString value = parser.value(forwardOption).trimmed();
        const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
        const bool bracketed = value.startsWith(QLatin1Char('['));
        const bool hasPort = colon > 0 && (bracketed ? value.at(colon - 1) == QLatin1Char(']') : value.count(QLatin1Char(':')) == 1);
        o.forwardHost = hasPort ? value.left(colon) : value;
        o.forwardHost.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        bool ok = true;
        const uint port = hasPort ? value.mid(colon + 1).toUInt(&ok) : 9100;
        if (o.forwardHost.isEmpty() || !ok || port == 0 || port > 65535)
            return refused(error, SinkTexts::InvalidForward(value));
        o.forwardPort = quint16(port);
    }
    o.status.paperOut = parser.isSet(paperOutOption);
    o.status.paused = parser.isSet(pausedOption);

    // --http or --watch alone does only that; with --port or --config, the printer too.
    o.http = parser.isSet(httpOption);
    o.printer = (!o.http && !o.watch) || parser.isSet(portOption) || parser.isSet(configOption);
    o.listen = parser.value(listenOption);
    bool ok = false;
    const uint httpPort = parser.value(httpOption).toUInt(&ok);
    if (o.http && (!ok || httpPort > 65535))
        return refused(error, SinkTexts::InvalidHttpPort(parser.value(httpOption)));
    o.httpPort = quint16(httpPort);
    return true;
}
