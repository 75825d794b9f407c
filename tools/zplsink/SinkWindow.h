#pragma once

// The virtual printer's window: the label of the chosen job on its paper,
// the jobs received (newest first), their diagnostics and ZPL text, and the
// printer's media, resolution, paper-out and pause switches. The Sink does
// the network part; the window shows what it reports and tells it the
// settings chosen here. Media and dots per mm are remembered (QSettings).

#include "Sink.h"

#include <QMainWindow>

#include <deque>

class LabelView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTableWidget;

class SinkWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `where` is the address and port the sink listens on, for the title.
    SinkWindow(Sink *sink, const zpl::Media &media, const QString &where, QWidget *parent = nullptr);

    // What was remembered from the last run, over `media` (its defaults).
    static zpl::Media RememberedMedia(zpl::Media media, bool sizeGiven, bool dpmmGiven);

    // At most this many jobs, and the newest one plus as many as fit in
    // MaxKeptBytes, stay in the list; the oldest go first.
    static constexpr int MaxJobs = 500;
    static constexpr qint64 MaxKeptBytes = 256 * 1024 * 1024;

    // Lists a job; the Sink's come by themselves, the HTTP service's through this.
    void addJob(const ReceivedJob &job);
    // A line for the status bar that stays until the next (--forward's failures).
    void showNotice(const QString &text);

private:
    void showNewest();
    void showJob(int row);
    void showLabel(int index);
    void applyMedia();
    void applyStatus();
    void copyLabel();
    void saveLabel();
    void saveJob();
    void clearJobs();
    void buildToolBar();
    const ReceivedJob *currentJob() const;
    const zpl::Label *currentLabel() const;

    Sink *m_sink;
    zpl::Media m_media;
    std::deque<ReceivedJob> m_received;     // newest first, as the list
    LabelView *m_view = nullptr;
    QTableWidget *m_list = nullptr;
    QComboBox *m_labels = nullptr;
    QTableWidget *m_notes = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QComboBox *m_zoom = nullptr;
    QComboBox *m_size = nullptr;
    QComboBox *m_dpmm = nullptr;
    QCheckBox *m_paperOut = nullptr;
    QCheckBox *m_paused = nullptr;
    QLabel *m_summary = nullptr;
    qint64 m_keptBytes = 0;
    bool m_newestPending = false;
};
