#include "FolderWatch.h"

#include "Pdf.h"
#include "Printer.h"
#include "Renderer.h"
#include "SinkTexts.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool IsJobFile(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("zpl") || suffix == QLatin1String("prn") || suffix == QLatin1String("txt");
}

void Say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// "done/NAME.zpl", as the terminal shows a place in the watched folder.
QString Shown(const QDir &folder, const QString &path)
{
    return QDir::toNativeSeparators(folder.relativeFilePath(path));
}

} // namespace

FolderWatch::FolderWatch(Settings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)), m_folder(QFileInfo(m_settings.folder).absoluteFilePath()),
      m_out(m_settings.out.isEmpty() ? m_folder.filePath(QStringLiteral("out")) : m_settings.out),
      m_done(m_folder.filePath(QStringLiteral("done"))), m_failed(m_folder.filePath(QStringLiteral("failed")))
{
    connect(&m_timer, &QTimer::timeout, this, &FolderWatch::poll);
    connect(&m_changes, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::poll);
}

FolderWatch::~FolderWatch()
{
    stopWatching();
}

void FolderWatch::watch()
{
    m_watch = platform::WatchFolder(QFile::encodeName(m_folder.path()).constData());
    if (m_watch != platform::NoFolderWatch) {
        m_told = std::make_unique<QSocketNotifier>(qintptr(m_watch), QSocketNotifier::Read);
        connect(m_told.get(), &QSocketNotifier::activated, this, &FolderWatch::poll);
    }
    m_changes.addPath(m_folder.path());
}

void FolderWatch::stopWatching()
{
    m_told.reset();
    platform::StopWatchingFolder(std::exchange(m_watch, platform::NoFolderWatch));
    if (!m_changes.directories().isEmpty())
        m_changes.removePaths(m_changes.directories());
}

bool FolderWatch::makeFolders(QString *error)
{
    for (const QDir *dir : {&m_out, &m_done, &m_failed})
        if (!QDir().mkpath(dir->path())) {
            *error = SinkTexts::CannotCreateFolder(dir->path());
            return false;
        }
    return true;
}

bool FolderWatch::start(QString *error)
{
    if (!m_folder.exists()) {
        *error = SinkTexts::CannotRead(m_folder.path(), QStringLiteral("没有这个文件夹 / no such folder"));
        return false;
    }
    if (!makeFolders(error))
        return false;
    // Watched before anything is said, so that a file begun after is told.
    watch();
    m_timer.start(PollMs);
    QTimer::singleShot(0, this, &FolderWatch::poll);
    return true;
}

void FolderWatch::poll()
{
    if (!m_folder.exists()) {
        if (m_present)
            Say(SinkTexts::FolderGone(m_folder.path()));
        m_present = false;
        stopWatching();
        m_seen.clear();
        m_closed.clear();
        return;
    }
    if (!m_present) {
        QString error;
        if (!makeFolders(&error))
            return;
        m_present = true;
        Say(SinkTexts::FolderBack(m_folder.path()));
    }
    if (m_watch == platform::NoFolderWatch && m_changes.directories().isEmpty())
        watch();
    std::vector<std::string> closed, writing;
    if (m_watch != platform::NoFolderWatch && !platform::TakeFolderEvents(m_watch, closed, writing))
        stopWatching();
    for (const std::string &name : writing)
        m_seen[QFile::decodeName(name.c_str())].writing = true;
    for (const std::string &name : closed) {
        m_closed.insert(QFile::decodeName(name.c_str()));
        m_seen[QFile::decodeName(name.c_str())].writing = false;
    }

    const QStringList names = m_folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const QSet<QString> present(names.begin(), names.end());
    for (auto it = m_seen.begin(); it != m_seen.end();)
        it = present.contains(it.key()) ? std::next(it) : m_seen.erase(it);
    for (auto it = m_closed.begin(); it != m_closed.end();)
        it = present.contains(*it) ? std::next(it) : m_closed.erase(it);
    for (const QString &name : names)
        if (IsJobFile(name) && !m_stuck.contains(name) && finished(name, m_seen[name]))
            take(name);
}

bool FolderWatch::finished(const QString &name, Seen &seen)
{
    if (m_closed.contains(name))
        return true;
    const QString path = m_folder.filePath(name);
    switch (platform::FileWriterState(path.toUtf8().constData())) {
    case platform::WriterState::Writing: return false;
    case platform::WriterState::Done: return true;
    case platform::WriterState::Unknown: break;
    }
    if (seen.writing)
        return false;   // its close will be told
    const QFileInfo info(path);
    if (info.size() != seen.size || info.lastModified() != seen.modified || !seen.still.isValid()) {
        seen.size = info.size();
        seen.modified = info.lastModified();
        seen.still.start();
        return false;
    }
    return seen.still.elapsed() >= SettleMs;
}

// "NAME", or "NAME (2)", "NAME (3)" ... whichever names nothing in done/,
// failed/ or the out folder yet.
QString FolderWatch::freeStem(const QString &stem, const QString &suffix) const
{
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? stem : QStringLiteral("%1 (%2)").arg(stem).arg(n);
        const QString file = suffix.isEmpty() ? candidate : candidate + QLatin1Char('.') + suffix;
        if (!m_done.exists(file) && !m_failed.exists(file) && !m_failed.exists(candidate + QStringLiteral(".txt"))
            && !m_out.exists(candidate + QStringLiteral("-1.png")) && !m_out.exists(candidate + QStringLiteral(".pdf")))
            return candidate;
    }
}

void FolderWatch::take(const QString &name)
{
    QElapsedTimer clock;
    clock.start();
    m_closed.remove(name);
    m_seen.remove(name);
    const QString path = m_folder.filePath(name);
    const QFileInfo info(path);
    const QString stem = freeStem(info.completeBaseName(), info.suffix());
    ReceivedJob job;
    job.number = ++m_number;
    job.time = QDateTime::currentDateTime();
    job.peer = name;
    job.media = m_settings.media;

    QString why;
    QStringList notes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return;     // taken away meanwhile
        why = file.errorString();
    } else if ((job.data = file.read(MaxFileBytes + 1)).size() > MaxFileBytes) {
        why = QStringLiteral("文件超过 64 MiB / the file is over 64 MiB");
    }
    file.close();
    QStringList written;
    if (why.isEmpty()) {
        zpl::Printer printer(m_settings.media);
        job.labels = printer.feed(job.data);
        for (zpl::Label &label : printer.finish())
            job.labels.push_back(std::move(label));
        job.skipped = printer.skippedLabels();
        for (const zpl::Diagnostic &d : printer.strayNotes())
            notes << QStringLiteral("@%1 %2: %3").arg(d.offset).arg(QString::fromLatin1(d.command), d.text);
        if (job.labels.empty())
            why = SinkTexts::NoLabelsIn(name);
    }
    if (why.isEmpty() && m_settings.pdf) {
        const QString pdf = m_out.filePath(stem + QStringLiteral(".pdf"));
        const QByteArray bytes = zpl::EncodePdf(int(job.labels.size()), m_settings.media.dpmm,
                                                [&](int i) { return zpl::Paint(job.labels[std::size_t(i)]); });
        QFile out(pdf);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
            why = SinkTexts::CannotSave(pdf, out.errorString());
        written << pdf;
    }
    for (std::size_t i = 0; why.isEmpty() && !m_settings.pdf && i < job.labels.size(); ++i) {
        const QString png = m_out.filePath(QStringLiteral("%1-%2.png").arg(stem).arg(i + 1));
        QString error;
        if (!zpl::SavePng(job.labels[i], png, &error))
            why = SinkTexts::CannotSave(png, error);
        written << png;
    }

    const QDir &to = why.isEmpty() ? m_done : m_failed;
    const QString moved = to.filePath(info.suffix().isEmpty() ? stem : stem + QLatin1Char('.') + info.suffix());
    if (!QFile::rename(path, moved)) {
        m_stuck.insert(name);   // left where it is, said once
        why = SinkTexts::CannotSave(moved, QStringLiteral("移不走 / cannot move it there"));
    } else if (!why.isEmpty()) {
        QFile reason(m_failed.filePath(stem + QStringLiteral(".txt")));
        if (reason.open(QIODevice::WriteOnly | QIODevice::Text))
            reason.write((QStringList{why} + notes).join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    const QString where = Shown(m_folder, moved);
    job.httpStatus = QStringLiteral("→ ") + where;
    if (why.isEmpty())
        Say(SinkTexts::WatchedFile(job.time, name, int(job.labels.size()), clock.elapsed(),
                                   Shown(m_folder, written.value(0)) + (written.size() > 1 ? QStringLiteral(" …, ") : QStringLiteral(", ")) + where));
    else
        Say(SinkTexts::WatchedFileFailed(job.time, name, why, where));
    emit fileDone(job);
}
