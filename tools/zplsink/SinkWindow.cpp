#include "SinkWindow.h"

#include "LabelView.h"
#include "MediaText.h"
#include "Renderer.h"
#include "SinkTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The ZPL tab shows this much of a job: a 16 MiB line would stall the window.
constexpr qsizetype ShownBytes = 64 * 1024;

QTableWidgetItem *cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

// A label's image with black dots on white, as the paper shows it.
QImage printed(const zpl::Label &label)
{
    return zpl::Paint(label).convertToFormat(QImage::Format_RGB32);
}

} // namespace

SinkWindow::SinkWindow(Sink *sink, const zpl::Media &media, const QString &where, QWidget *parent)
    : QMainWindow(parent), m_sink(sink), m_media(media)
{
    setWindowTitle(QStringLiteral("zplsink 虚拟打印机 / virtual printer — %1").arg(where));
    m_list = new QTableWidget(0, 7);
    m_list->setObjectName(QStringLiteral("jobs"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("时间 time"), QStringLiteral("来源 peer"), QStringLiteral("字节 bytes"),
                                       QStringLiteral("标签 labels"), QStringLiteral("数量 quantity"),
                                       QStringLiteral("浓度 darkness"), QStringLiteral("速度 print rate")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_view = new LabelView;
    m_view->setObjectName(QStringLiteral("labelView"));
    m_labels = new QComboBox;
    m_labels->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_summary = new QLabel;
    auto *labelPage = new QWidget;
    auto *labelLayout = new QVBoxLayout(labelPage);
    labelLayout->setContentsMargins(0, 0, 0, 0);
    auto *labelBar = new QHBoxLayout;
    labelBar->addWidget(m_labels);
    labelBar->addWidget(m_summary, 1);
    labelLayout->addLayout(labelBar);
    labelLayout->addWidget(m_view, 1);

    m_notes = new QTableWidget(0, 3);
    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setHorizontalHeaderLabels({QStringLiteral("位置 offset"), QStringLiteral("命令 command"),
                                        QStringLiteral("问题 what was wrong")});
    m_notes->verticalHeader()->hide();
    m_notes->horizontalHeader()->setStretchLastSection(true);
    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("zplText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto *tabs = new QTabWidget;
    tabs->addTab(labelPage, QStringLiteral("标签 Label"));
    tabs->addTab(m_notes, QStringLiteral("提示 Diagnostics"));
    tabs->addTab(m_text, QStringLiteral("ZPL"));
    auto *split = new QSplitter;
    split->addWidget(m_list);
    split->addWidget(tabs);
    split->setStretchFactor(1, 1);
    split->setSizes({380, 820});
    setCentralWidget(split);
    buildToolBar();
    statusBar()->showMessage(QStringLiteral("正在监听 / listening on %1").arg(where));
    resize(1200, 800);

    connect(sink, &Sink::jobReceived, this, &SinkWindow::addJob);
    connect(m_list, &QTableWidget::currentCellChanged, this, [this](int row) { showJob(row); });
    connect(m_labels, &QComboBox::currentIndexChanged, this, &SinkWindow::showLabel);
}

void SinkWindow::buildToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("zplsink"));
    bar->setMovable(false);
    m_zoom = new QComboBox;
    m_zoom->setObjectName(QStringLiteral("zoom"));
    m_zoom->addItem(QStringLiteral("适合 fit"), LabelView::Fit);
    for (int percent : {100, 200, 400})
        m_zoom->addItem(SinkTexts::ZoomPercent(percent), percent);
    bar->addWidget(new QLabel(QStringLiteral(" 缩放 zoom ")));
    bar->addWidget(m_zoom);
    connect(m_zoom, &QComboBox::activated, this, [this](int i) { m_view->setZoom(m_zoom->itemData(i).toInt()); });
    connect(m_view, &LabelView::zoomChanged, this, [this](int percent) {
        const int i = m_zoom->findData(percent);
        if (i >= 0)
            m_zoom->setCurrentIndex(i);
        else
            m_zoom->setEditText(SinkTexts::ZoomPercent(percent));
    });

    m_size = new QComboBox;
    m_size->setObjectName(QStringLiteral("media"));
    m_size->setEditable(true);
    m_size->addItems({QStringLiteral("4x6in"), QStringLiteral("4x3in"), QStringLiteral("4x2in"), QStringLiteral("3x2in"),
                      QStringLiteral("2x1in"), QStringLiteral("100x150mm"), QStringLiteral("60x40mm")});
    m_size->setCurrentText(MediaText(m_media));
    m_dpmm = new QComboBox;
    m_dpmm->setObjectName(QStringLiteral("dpmm"));
    for (int d : {6, 8, 12, 24})
        m_dpmm->addItem(QString::number(d), d);
    m_dpmm->setCurrentIndex(m_dpmm->findData(m_media.dpmm));
    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(" 标签纸 media ")));
    bar->addWidget(m_size);
    bar->addWidget(new QLabel(QStringLiteral(" 点/毫米 dots/mm ")));
    bar->addWidget(m_dpmm);
    connect(m_size->lineEdit(), &QLineEdit::editingFinished, this, &SinkWindow::applyMedia);
    connect(m_size, &QComboBox::activated, this, &SinkWindow::applyMedia);
    connect(m_dpmm, &QComboBox::activated, this, &SinkWindow::applyMedia);

    m_paperOut = new QCheckBox(QStringLiteral("缺纸 paper out"));
    m_paused = new QCheckBox(QStringLiteral("暂停 paused"));
    m_paperOut->setChecked(m_sink->hostStatus().paperOut);
    m_paused->setChecked(m_sink->hostStatus().paused);
    bar->addSeparator();
    bar->addWidget(m_paperOut);
    bar->addWidget(m_paused);
    connect(m_paperOut, &QCheckBox::toggled, this, &SinkWindow::applyStatus);
    connect(m_paused, &QCheckBox::toggled, this, &SinkWindow::applyStatus);

    bar->addSeparator();
    bar->addAction(QStringLiteral("复制标签 copy label"), this, &SinkWindow::copyLabel);
    bar->addAction(QStringLiteral("保存 PNG save PNG"), this, &SinkWindow::saveLabel);
    bar->addAction(QStringLiteral("保存任务 save job"), this, &SinkWindow::saveJob);
    bar->addAction(QStringLiteral("清空 clear"), this, &SinkWindow::clearJobs);
}

zpl::Media SinkWindow::RememberedMedia(zpl::Media media, bool sizeGiven, bool dpmmGiven)
{
    const QSettings settings;
    if (!dpmmGiven) {
        const int dpmm = settings.value(QStringLiteral("dpmm"), media.dpmm).toInt();
        if (IsPrinterDpmm(dpmm))
            media.dpmm = dpmm;
    }
    if (!sizeGiven)
        ParseMedia(settings.value(QStringLiteral("media")).toString(), &media);
    return media;
}

void SinkWindow::applyStatus()
{
    zpl::HostStatus status;
    status.paperOut = m_paperOut->isChecked();
    status.paused = m_paused->isChecked();
    m_sink->setHostStatus(status);
}

void SinkWindow::applyMedia()
{
    zpl::Media media;
    media.dpmm = m_dpmm->currentData().toInt();
    if (!ParseMedia(m_size->currentText(), &media)) {
        statusBar()->showMessage(SinkTexts::InvalidMedia(m_size->currentText()), 10000);
        return;
    }
    if (media.dpmm == m_media.dpmm && media.widthMm == m_media.widthMm && media.lengthMm == m_media.lengthMm)
        return;
    m_media = media;
    m_sink->setMedia(media);
    QSettings settings;
    settings.setValue(QStringLiteral("media"), MediaText(media));
    settings.setValue(QStringLiteral("dpmm"), media.dpmm);
    // What is shown is printed again on the new media (settings kept from
    // earlier jobs do not apply to it).
    const int row = m_list->currentRow();
    if (row >= 0 && row < int(m_received.size())) {
        ReceivedJob &job = m_received[std::size_t(row)];
        job.labels = zpl::RenderJob(job.data, media);
        job.media = media;
        showJob(row);
    } else {
        m_view->setLabel(QImage(), QSize(media.widthDots(), media.lengthDots()));
    }
}

void SinkWindow::showNotice(const QString &text)
{
    statusBar()->showMessage(text);
}

void SinkWindow::addJob(const ReceivedJob &job)
{
    m_received.push_front(job);
    m_keptBytes += job.data.size();
    m_list->insertRow(0);
    int quantity = 0;
    for (const zpl::Label &label : job.labels)
        quantity += label.quantity;
    const zpl::Label *first = job.labels.empty() ? nullptr : &job.labels.front();
    // A connection that only asked for the printer's status is a query, not a job of no labels.
    const bool query = job.labels.empty() && job.answered > 0;
    const QString peer = job.httpStatus.isEmpty() ? job.peer : job.peer + QStringLiteral("  ") + job.httpStatus;
    const QStringList texts = {job.time.toString(QStringLiteral("HH:mm:ss")), peer, QString::number(job.data.size()),
                               query ? QStringLiteral("查询 query") : QString::number(job.labels.size()),
                               query ? QString() : QString::number(quantity),
                               first ? QString::fromLatin1(first->darkness) : QString(),
                               first ? QString::fromLatin1(first->printRate) : QString()};
    for (int column = 0; column < texts.size(); ++column)
        m_list->setItem(0, column, cell(texts[column]));
    while (m_received.size() > std::size_t(MaxJobs) || (m_keptBytes > MaxKeptBytes && m_received.size() > 1)) {
        m_keptBytes -= m_received.back().data.size();
        m_received.pop_back();
        m_list->removeRow(m_list->rowCount() - 1);
    }
    // A burst of jobs shows only its last one, once the burst is over.
    if (!m_newestPending) {
        m_newestPending = true;
        QTimer::singleShot(0, this, &SinkWindow::showNewest);
    }
}

void SinkWindow::showNewest()
{
    m_newestPending = false;
    if (m_list->rowCount() == 0)
        return;
    if (m_list->currentRow() == 0)
        showJob(0);     // a new job now stands in row 0
    else
        m_list->setCurrentCell(0, 0);
}

const ReceivedJob *SinkWindow::currentJob() const
{
    const int row = m_list->currentRow();
    return row >= 0 && row < int(m_received.size()) ? &m_received[std::size_t(row)] : nullptr;
}

const zpl::Label *SinkWindow::currentLabel() const
{
    const ReceivedJob *job = currentJob();
    const int index = m_labels->currentIndex();
    return job && index >= 0 && index < int(job->labels.size()) ? &job->labels[std::size_t(index)] : nullptr;
}

void SinkWindow::showJob(int row)
{
    const ReceivedJob *job = row >= 0 && row < int(m_received.size()) ? &m_received[std::size_t(row)] : nullptr;
    {
        const QSignalBlocker blocker(m_labels);
        m_labels->clear();
        if (job)
            for (std::size_t i = 0; i < job->labels.size(); ++i)
                m_labels->addItem(QStringLiteral("标签 label %1 / %2").arg(i + 1).arg(job->labels.size()));
    }
    m_notes->setRowCount(0);
    m_text->clear();
    if (!job) {
        showLabel(-1);
        return;
    }
    for (const zpl::Label &label : job->labels) {
        for (const zpl::Diagnostic &d : label.diagnostics) {
            const int r = m_notes->rowCount();
            m_notes->insertRow(r);
            m_notes->setItem(r, 0, cell(d.offset < 0 ? QStringLiteral("结尾 end") : QString::number(d.offset)));
            m_notes->setItem(r, 1, cell(QString::fromLatin1(d.command)));
            m_notes->setItem(r, 2, cell(d.text));
        }
    }
    QString text = QString::fromUtf8(job->data.left(ShownBytes));
    if (job->data.size() > ShownBytes)
        text += QStringLiteral("\n… （只显示前 %1 字节 / only the first %1 bytes shown）").arg(ShownBytes);
    if (job->answered > 0) {
        text += QStringLiteral("\n\n—— 应答 answer sent: %1 字节 bytes ——\n").arg(job->answered) + AnswerText(job->answers);
        if (job->answered > job->answers.size())
            text += QStringLiteral("…");
    }
    m_text->setPlainText(text);
    showLabel(job->labels.empty() ? -1 : 0);
}

void SinkWindow::showLabel(int index)
{
    const ReceivedJob *job = currentJob();
    const zpl::Media media = job ? job->media : m_media;
    const QSize paper(media.widthDots(), media.lengthDots());
    const zpl::Label *label = job && index >= 0 && index < int(job->labels.size()) ? &job->labels[std::size_t(index)]
                                                                                : nullptr;
    m_view->setLabel(label ? printed(*label) : QImage(), paper);
    if (!label) {
        m_summary->setText(!job ? QString()
                           : job->answered > 0 ? QStringLiteral("状态查询，应答见 ZPL 页 / status query, answer on the ZPL tab")
                                               : QStringLiteral("没有标签 / no labels"));
        return;
    }
    m_summary->setText(QStringLiteral("%1 x %2 点 dots（%3 点/毫米 dots/mm），数量 quantity %4")
                           .arg(label->width).arg(label->length).arg(media.dpmm).arg(label->quantity));
}

void SinkWindow::copyLabel()
{
    if (const zpl::Label *label = currentLabel())
        QApplication::clipboard()->setImage(printed(*label));
}

void SinkWindow::saveLabel()
{
    const zpl::Label *label = currentLabel();
    if (!label)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存标签 / Save label"),
                                                      QStringLiteral("label.png"), QStringLiteral("PNG (*.png)"));
    QString error;
    if (!path.isEmpty() && !zpl::SavePng(*label, path, &error))
        QMessageBox::warning(this, SinkTexts::Title(), SinkTexts::CannotSaveShown(QDir::toNativeSeparators(path), error));
}

void SinkWindow::saveJob()
{
    const ReceivedJob *job = currentJob();
    if (!job)
        return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存任务 / Save job"),
                                                      SinkTexts::JobFileName(job->number),
                                                      QStringLiteral("ZPL (*.zpl *.txt)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(job->data) != job->data.size())
        QMessageBox::warning(this, SinkTexts::Title(),
                             SinkTexts::CannotSaveShown(QDir::toNativeSeparators(path), file.errorString()));
}

void SinkWindow::clearJobs()
{
    m_list->setRowCount(0);
    m_received.clear();
    m_keptBytes = 0;
    showJob(-1);
}
