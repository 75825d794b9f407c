#pragma once

// zplsink's texts that a person reads, worded once: its help, what it says
// on starting (or why it cannot), and the texts more than one part of it
// writes. Each is Chinese, then English. Texts that only one place writes
// (a diagnostic of the web service, a label of the window) stay there.

#include <QDateTime>
#include <QString>

namespace SinkTexts {

// The title of every message box.
QString Title();

// --help: what zplsink is, then each option.
QString Description();
QString WindowHelp();
QString PortHelp();
QString ListenHelp();
QString ConfigHelp();
QString HttpHelp();
QString OutHelp();
QString PngHelp();
QString RenderHelp();
QString WatchHelp();
QString PdfHelp();
QString MediaHelp();
QString DpmmHelp();
QString PaperOutHelp();
QString PausedHelp();

// An option's value that is no good; `value` as typed.
QString InvalidDpmm(const QString &value);
QString InvalidMedia(const QString &value);
QString InvalidPort(const QString &value);
QString InvalidAddress(const QString &value);
QString InvalidHttpPort(const QString &value);

// Starting to listen and serve, or failing to. `places` are "address:port",
// joined; the version is zplsink's.
QString Listening(const QString &version, const QString &places);
QString CannotListen(const QString &places, const QString &detail);
QString ServingHttp(const QString &version, const QString &address, quint16 port);
QString CannotServeHttp(const QString &address, uint port, const QString &detail);

// Files and folders.
QString CannotRead(const QString &path, const QString &detail);
QString CannotCreateFolder(const QString &folder);
QString CannotSave(const QString &path, const QString &detail);
// For a message box: the detail on a line of its own.
QString CannotSaveShown(const QString &path, const QString &detail);
// --render: a file without a format.
QString NoLabelsIn(const QString &path);
// --watch: watching a folder, what became of one file, the folder gone or back.
QString Watching(const QString &version, const QString &folder, const QString &out);
QString WatchedFile(const QDateTime &time, const QString &name, int labels, qint64 ms, const QString &where);
QString WatchedFileFailed(const QDateTime &time, const QString &name, const QString &why, const QString &where);
QString FolderGone(const QString &folder);
QString FolderBack(const QString &folder);
// --forward: starting, a job the printer did not take, the spool an earlier
// run left, a status answer zplsink gave in the printer's stead.
QString Forwarding(const QString &printer, const QString &spool);
QString ForwardFailed(const QString &printer, const QString &why);
QString SpoolLeft(int jobs, const QString &spool);
QString AnsweredForPrinter(const QString &printer, const QString &query);
QString ForwardHelp();
QString InvalidForward(const QString &value);
// A job saved by number: job-0001.zpl.
QString JobFileName(int number);

// The time at the start of each line on the terminal.
QString Timestamp(const QDateTime &time);

// The web service: methods other than GET, POST and OPTIONS, an HTTP version
// other than 1.0 and 1.1, a Content-Length that is not a number.
QString MethodNotAllowed(const QString &method);
// Web service requests answered while the terminal did not take their lines.
QString RequestsNotListed(int count);
QString HttpVersionNotSupported();
QString ContentLengthNotNumber();

// The window's zoom, "200 %".
QString ZoomPercent(int percent);

} // namespace SinkTexts
