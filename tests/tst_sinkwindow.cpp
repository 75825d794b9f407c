// zplsink's window, offscreen, fed by its Sink over loopback: the jobs list,
// a status query with its answer, the label shown at its size on its paper,
// a bad job's diagnostics, and the media chosen in the window printing what
// is shown again.

#include "LabelView.h"
#include "SinkWindow.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpSocket>
#include <QtTest>

class TestSinkWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void showsJobs_data();
    void showsJobs();
};

namespace {

void send(QTableWidget *list, quint16 port, const QByteArray &bytes, int rows) // till the list has `rows`
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(bytes);
    socket.disconnectFromHost();
    QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(5000));
    QTRY_COMPARE(list->rowCount(), rows);
}

QString cellText(const QTableWidget *table, int row, int column)
{
    return table->item(row, column) ? table->item(row, column)->text() : QString();
}

} // namespace

void TestSinkWindow::showsJobs_data()
{
    QTest::addColumn<QByteArray>("newest");
    QTest::addColumn<QString>("media");         // chosen in the window afterwards; empty: none
    QTest::addColumn<QSize>("label");           // of the label shown, in dots
    QTest::addColumn<QSize>("paper");
    QTest::addColumn<QString>("note");          // a diagnostic listed for the newest job
    const QSize sixInches(813, 1219), typed(406, 610);
    QTest::newRow("newest label at its size on 4x6in paper, its 64 KiB shown whole")
        << QByteArray("^XA^MNN^LL300^FO10,10^GB100,100,5^FS^PQ3^XZ").leftJustified(65536) << "" << QSize(813, 300) << sixInches << "";
    QTest::newRow("bad job's diagnostics listed") << QByteArray("^XA^FO10,10^GB20,20,20^FS^FOx,5^QQ^XZ") << ""
        << sixInches << sixInches << "^QQ unknown command, skipped";
    QTest::newRow("media typed in the window: blank paper with no job shown; then a length alone prints the job again, remembered")
        << QByteArray("^XA^FO10,10^GB20,20,20^FS^XZ") << "2x3in" << typed << typed << "";
}

void TestSinkWindow::showsJobs()
{
    QFETCH(QByteArray, newest);
    QFETCH(QString, media);
    QFETCH(QSize, label);
    QFETCH(QSize, paper);
    QFETCH(QString, note);
    QSettings().clear();
    Sink sink;
    QVERIFY(sink.listen(QHostAddress::LocalHost, 0));
    SinkWindow window(&sink, zpl::Media(), QStringLiteral("127.0.0.1:%1").arg(sink.port()));
    window.show();
    auto *list = window.findChild<QTableWidget *>(QStringLiteral("jobs"));
    auto *view = window.findChild<LabelView *>(QStringLiteral("labelView"));
    auto *notes = window.findChild<QTableWidget *>(QStringLiteral("notes"));
    QVERIFY(list && view && notes);

    // A driver asking for the printer's status, reading the answer before it closes.
    QTcpSocket query;
    query.connectToHost(QHostAddress::LocalHost, sink.port());
    QVERIFY(query.waitForConnected(5000));
    query.write("~HS");
    QTRY_COMPARE(query.bytesAvailable(), 82);
    query.disconnectFromHost();
    QTRY_COMPARE(list->rowCount(), 1);
    send(list, sink.port(), "^XA^FO5,5^GB50,50,50^FS^PQ2^XZ^XA^FO5,5^GB50,50,50^FS^XZ", 2);
    send(list, sink.port(), newest, 3);
    // Newest first: bytes, labels and quantity in their columns; the query as what it is.
    QCOMPARE(cellText(list, 0, 2), QString::number(newest.size()));
    QCOMPARE(cellText(list, 1, 3), QStringLiteral("2"));
    QCOMPARE(cellText(list, 1, 4), QStringLiteral("3"));
    QCOMPARE(cellText(list, 2, 3), QStringLiteral("查询 query"));
    auto *zpl = window.findChild<QPlainTextEdit *>(QStringLiteral("zplText"));
    QTRY_COMPARE(list->currentRow(), 0);
    list->setCurrentCell(2, 0);
    QCOMPARE(zpl->toPlainText(), QStringLiteral("~HS\n\n—— 应答 answer sent: 82 字节 bytes ——\n"
                                                "\\x02030,0,0,1219,000,0,0,0,000,0,0,0\\x03\\x0d\\x0a\n"
                                                "\\x02000,0,0,0,0,2,0,0,00000000,1,000\\x03\\x0d\\x0a\n"
                                                "\\x021234,0\\x03\\x0d\\x0a\n"));
    list->setCurrentCell(0, 0);
    if (!media.isEmpty()) {
        auto *size = window.findChild<QComboBox *>(QStringLiteral("media"));
        list->setCurrentCell(-1, -1);   // no job shown: blank paper of the media chosen (2 x 2 in, then 2 x 3 in)
        size->setCurrentText(QStringLiteral("2x2in"));
        QMetaObject::invokeMethod(size, "activated", Q_ARG(int, size->currentIndex()));
        QCOMPARE(view->paperDots(), QSize(406, 406));
        list->setCurrentCell(0, 0);
        size->setCurrentText(media);
        QMetaObject::invokeMethod(size, "activated", Q_ARG(int, size->currentIndex()));
        QCOMPARE(QSettings().value(QStringLiteral("media")).toString(), media);
        QCOMPARE(SinkWindow::RememberedMedia({}, false, false).lengthMm, 76.2);    // unless given on the command line
        QCOMPARE(SinkWindow::RememberedMedia({}, true, true).lengthMm, 152.4);
        QCOMPARE(view->image().size(), label); // the job shown, printed again
        send(list, sink.port(), newest, 4);    // and the next job, printed on it
    }
    QTRY_COMPARE(list->currentRow(), 0);
    QCOMPARE(view->parentWidget()->findChild<QComboBox *>()->currentText(), QStringLiteral("标签 label 1 / 1"));
    QCOMPARE(view->image().size(), label);
    QCOMPARE(view->paperDots(), paper);
    // 200 % chosen in the window: a dot is two pixels, the paper has 12 pixels of grey around it; the dots are where the job put them.
    QMetaObject::invokeMethod(window.findChild<QComboBox *>(QStringLiteral("zoom")), "activated", Q_ARG(int, 2));
    QCOMPARE(view->widget()->size(), paper * 2 + QSize(24, 24));
    QCOMPARE(view->image().pixelColor(12, 12), QColor(Qt::black));
    QCOMPARE(view->image().pixelColor(label.width() - 1, label.height() - 1), QColor(Qt::white));
    // The view resized: the scroll bars follow it; at fit, the paper is fitted to it anew.
    view->resize(500, 400);
    QCOMPARE(view->horizontalScrollBar()->maximum(), view->widget()->width() - view->viewport()->width());
    QMetaObject::invokeMethod(window.findChild<QComboBox *>(QStringLiteral("zoom")), "activated", Q_ARG(int, 0));
    view->resize(300, 700);
    QCOMPARE(view->widget()->width(), view->maximumViewportSize().width());
    QStringList listed;
    for (int row = 0; row < notes->rowCount(); ++row)
        listed << cellText(notes, row, 1) + ' ' + cellText(notes, row, 2);
    if (!note.isEmpty())
        QVERIFY2(listed.contains(note), qPrintable(listed.join('\n')));
    else
        QVERIFY2(listed.isEmpty(), qPrintable(listed.join('\n')));
    QVERIFY(zpl->toPlainText() == QString::fromLatin1(newest));
    // A request to the web service: its peer with the status answered.
    ReceivedJob request;
    request.peer = QStringLiteral("127.0.0.1:5");
    request.httpStatus = QStringLiteral("HTTP 404");
    request.data = QByteArray((256 << 20) - 3 - 56 - newest.size() * (list->rowCount() - 2), 'x'); // 256 MiB kept in all
    for (int n = list->rowCount(); n < 500; ++n) // the most kept: 500 jobs, the request the newest
        window.addJob(n == 499 ? request : ReceivedJob());
    QCOMPARE(cellText(list, 0, 1), QStringLiteral("127.0.0.1:5  HTTP 404"));
    QCOMPARE(cellText(list, list->rowCount() - 1, 2), QStringLiteral("3")); // none dropped: the query is still there
    request.data = QByteArray((256 << 20) + 1, 'x');    // alone past the most kept: the others go, it stays
    window.addJob(request);
    QCOMPARE(list->rowCount(), 1);
}

QTEST_MAIN(TestSinkWindow)
#include "tst_sinkwindow.moc"
