#pragma once

// zplsink --watch: renders every job file put into a folder, as systems that
// write label jobs as files expect of a converter. A file whose name ends
// .zpl, .prn or .txt (any case), those there at the start included, is taken
// once its writer has finished it: closed after writing or moved in (Linux
// says so), no longer open for writing (Windows), or, where the system
// cannot tell (a network share), its size unchanged for SettleMs. Its labels
// go to the out folder as NAME-1.png, NAME-2.png ... (or NAME.pdf, a page a
// label); the file then moves to done/, or, when it gives no label or cannot
// be read, to failed/ with NAME.txt saying why. A name already there gets a
// number, " (2)", for the file and its images alike: nothing is overwritten,
// nothing deleted. A folder that goes away is watched again once it is back.

#include "Label.h"
#include "Platform.h"
#include "Sink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

class FolderWatch : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QString folder;
        QString out;            // empty: folder/out
        bool pdf = false;
        zpl::Media media;
    };
    static constexpr int SettleMs = 2000;
    static constexpr int PollMs = 250;
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    explicit FolderWatch(Settings settings, QObject *parent = nullptr);
    ~FolderWatch() override;
    // Makes the out, done and failed folders and starts watching; false with
    // *error when the folder is not there or one cannot be made.
    bool start(QString *error);
    QString outFolder() const { return m_out.path(); }

signals:
    // Each file taken, for the window: its name as the peer, where it went as the status.
    void fileDone(const ReceivedJob &job);

private:
    struct Seen
    {
        qint64 size = -1;
        QDateTime modified;
        QElapsedTimer still;    // since size or time last changed
        bool writing = false;   // the system saw it written and not closed yet
    };

    bool makeFolders(QString *error);
    void watch();
    void stopWatching();
    void poll();
    bool finished(const QString &name, Seen &seen);
    void take(const QString &name);
    QString freeStem(const QString &stem, const QString &suffix) const;

    Settings m_settings;
    QDir m_folder, m_out, m_done, m_failed;
    QTimer m_timer;                     // polls: sizes settling, a folder come back
    QFileSystemWatcher m_changes;       // wakes it at once where the system tells of new names
    platform::FolderWatchHandle m_watch = platform::NoFolderWatch;
    std::unique_ptr<QSocketNotifier> m_told;    // ... and of files closed (Linux)
    bool m_present = true;
    QHash<QString, Seen> m_seen;
    QSet<QString> m_closed;     // finished, as the system told
    QSet<QString> m_stuck;      // could not be moved away: not taken again
    int m_number = 0;
};
