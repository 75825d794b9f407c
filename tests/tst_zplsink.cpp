// zplsink as a user runs it: a real process on 127.0.0.1, real connections,
// its terminal output and the files it saves.

#include "Bytes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// A running zplsink on a port the system chose.
class RunningSink
{
public:
    explicit RunningSink(const QStringList &extra = {})
    {
        process.setProgram(QStringLiteral(ZPLSINK_PATH));
        process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + extra);
        process.start();
        if (!process.waitForStarted())
            qFatal("zplsink did not start");
        static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        QElapsedTimer clock;
        clock.start();
        while (port == 0 && clock.elapsed() < 10000) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
            const auto match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch())
                port = quint16(match.captured(1).toUInt());
        }
        if (port == 0)
            qFatal("zplsink did not say where it listens");
    }

    ~RunningSink()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Sends `bytes` on a connection of its own and closes it.
    void send(const QByteArray &bytes) const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(socket.waitForConnected(5000));
        socket.write(bytes);
        QVERIFY(socket.waitForBytesWritten(5000) || bytes.isEmpty());
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState)
            QVERIFY(socket.waitForDisconnected(5000));
    }

    // Output until `count` jobs have been reported.
    QString waitForJobs(int count)
    {
        static const QRegularExpression report(QStringLiteral("^\\[[-0-9: ]+\\] 127\\.0\\.0\\.1:\\d+  \\d+ 字节 bytes"),
                                               QRegularExpression::MultilineOption);
        QElapsedTimer clock;
        clock.start();
        while (QString::fromUtf8(output).count(report) < count && clock.elapsed() < 10000) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
        }
        return QString::fromUtf8(output);
    }

    QProcess process;
    QByteArray output;
    quint16 port = 0;
};

} // namespace

class TestZplsink : public QObject
{
    Q_OBJECT

private slots:
    void reportsEachJob();
    void savesNumberedJobs();
    void showsControlBytesSafely();
    void survivesHostileClients();
    void endsCleanlyOnInterrupt();
    void explainsItself_data();
    void explainsItself();
    void refusesBusyPort();
    void rendersFiles_data();
    void rendersFiles();
    void savesLabelImages();
};

void TestZplsink::reportsEachJob()
{
    RunningSink sink;
    const QByteArray job = "^XA^FDAB12^FS^PQ2^XZ";
    sink.send(job);
    sink.waitForJobs(1);
    sink.send("second");
    const QString out = sink.waitForJobs(2);
    QVERIFY2(out.contains(QStringLiteral("  %1 字节 bytes\n%2\n").arg(job.size()).arg(QString::fromLatin1(job))),
             qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("  6 字节 bytes\nsecond\n")), qPrintable(out));
}

void TestZplsink::savesNumberedJobs()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("jobs"));
    QVERIFY(QDir().mkpath(folder));
    QFile earlier(folder + QStringLiteral("/job-0007.zpl"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("kept");
    earlier.close();

    RunningSink sink({QStringLiteral("--out"), folder});
    sink.send(bytesOf("first\x00job"));
    sink.waitForJobs(1);
    sink.send("");
    sink.waitForJobs(2);
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names, (QStringList{"job-0007.zpl", "job-0008.zpl", "job-0009.zpl"}));
    QFile first(folder + QStringLiteral("/job-0008.zpl"));
    QVERIFY(first.open(QIODevice::ReadOnly));
    QCOMPARE(first.readAll(), bytesOf("first\x00job"));
    QCOMPARE(QFileInfo(folder + QStringLiteral("/job-0009.zpl")).size(), 0);
    QCOMPARE(QFileInfo(folder + QStringLiteral("/job-0007.zpl")).size(), 4);
}

void TestZplsink::showsControlBytesSafely()
{
    RunningSink sink;
    sink.send(bytesOf("a\x1b[2Jb\x00\x7f\tc\r\n中"));
    const QString out = sink.waitForJobs(1);
    QVERIFY2(out.contains(QStringLiteral("a\\x1b[2Jb\\x00\\x7f\tc\r\n中\n")), qPrintable(out));
}

void TestZplsink::survivesHostileClients()
{
    RunningSink sink;
    // Connections left open side by side, one torn off, then random bytes.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, sink.port);
    QVERIFY(idle.waitForConnected(5000));
    QTcpSocket torn;
    torn.connectToHost(QHostAddress::LocalHost, sink.port);
    QVERIFY(torn.waitForConnected(5000));
    torn.write(QByteArray(100000, '\xff'));
    torn.waitForBytesWritten(5000);
    torn.abort();
    QByteArray noise(300000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xff);
    sink.send(noise);
    sink.send("after");
    const QString out = sink.waitForJobs(3);
    QVERIFY2(out.contains(QStringLiteral("  5 字节 bytes\nafter\n")), qPrintable(out.right(300)));
    QCOMPARE(sink.process.state(), QProcess::Running);
}

void TestZplsink::endsCleanlyOnInterrupt()
{
    RunningSink sink;
    sink.send("job");
    sink.waitForJobs(1);
    ::kill(pid_t(sink.process.processId()), SIGINT);
    QVERIFY(sink.process.waitForFinished(5000));
    QCOMPARE(sink.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sink.process.exitCode(), 0);
}

void TestZplsink::explainsItself_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("help in chinese") << "--help" << QStringLiteral("虚拟网络标签打印机");
    QTest::newRow("help in english") << "--help" << QStringLiteral("A virtual network label printer");
    QTest::newRow("help names the options") << "--help" << QStringLiteral("--out <folder>");
    QTest::newRow("version") << "--version" << QStringLiteral("zplsink " ZPLTEST_VERSION);
}

void TestZplsink::explainsItself()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);
    QProcess process;
    process.start(QStringLiteral(ZPLSINK_PATH), {option});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(out.contains(expected), qPrintable(out));
}

void TestZplsink::refusesBusyPort()
{
    QTcpServer busy;
    QVERIFY(busy.listen(QHostAddress::LocalHost, 0));
    QProcess process;
    process.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--port"), QString::number(busy.serverPort())});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 1);
    const QString error = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(error.contains(QStringLiteral("无法在 127.0.0.1:%1 监听").arg(busy.serverPort())), qPrintable(error));
}

void TestZplsink::rendersFiles_data()
{
    QTest::addColumn<QStringList>("options");       // "JOB" stands for the job file's path
    QTest::addColumn<QByteArray>("input");          // standard input
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");          // in the output (standard output, then error)
    QTest::addColumn<QStringList>("files");         // written to the output folder
    const QStringList none;
    QTest::newRow("one PNG per label") << QStringList{"--render", "JOB"} << QByteArray() << 0
                                       << "label-1.png: 813 x 1219" << QStringList{"label-1.png", "label-2.png"};
    QTest::newRow("media in mm with decimals")
        << QStringList{"--render", "JOB", "--media", "50.5x30mm"} << QByteArray() << 0 << "label-2.png: 404 x 240"
        << QStringList{"label-1.png", "label-2.png"};
    QTest::newRow("12 dots per mm") << QStringList{"--render", "JOB", "--dpmm", "12", "--media", "2x1in"} << QByteArray()
                                    << 0 << "label-1.png: 610 x 305" << QStringList{"label-1.png", "label-2.png"};
    QTest::newRow("standard input") << QStringList{"--render", "-"} << QByteArray("^XA^FDx^FS^PQ3^XZ") << 0
                                    << "stdin-1.png: 813 x 1219 点 dots, 数量 quantity 3" << QStringList{"stdin-1.png"};
    QTest::newRow("notes quote no control bytes") << QStringList{"--render", "-"} << QByteArray("^XA^FO\x1b[2J,5^FDx^FS^XZ")
                                                  << 0 << "@3 ^FO: parameter 1 \"?[2J\" is not a number"
                                                  << QStringList{"stdin-1.png"};
    QStringList thousand;
    for (int i = 1; i <= 1000; ++i)
        thousand << QStringLiteral("stdin-%1.png").arg(i);
    thousand.sort();
    QTest::newRow("at most 1000 labels a job") << QStringList{"--render", "-"} << QByteArray("^XA^FS^XZ").repeated(1003)
                                               << 0 << "3 more labels not rendered (at most 1000 per job)" << thousand;
    QTest::newRow("unreadable file") << QStringList{"--render", "missing.zpl"} << QByteArray() << 1
                                     << "无法读取 / cannot read missing.zpl" << none;
    QTest::newRow("bad dots per mm") << QStringList{"--render", "JOB", "--dpmm", "7"} << QByteArray() << 1
                                     << "invalid dots per mm: 7" << none;
    QTest::newRow("bad media") << QStringList{"--render", "JOB", "--media", "4x"} << QByteArray() << 1
                               << "invalid media size: 4x" << none;
}

void TestZplsink::rendersFiles()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, expected);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const QString job = dir.filePath(QStringLiteral("label.zpl"));
    QFile file(job);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("^XA^FO10,10^GB50,50,5^FS^XZ\n^XA^FO20,20^A0N,40^FDTwo^FS^XZ");
    file.close();
    const QString out = dir.filePath(QStringLiteral("png"));
    options.replaceInStrings(QStringLiteral("JOB"), job);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(ZPLSINK_PATH), options + QStringList{QStringLiteral("--out"), out});
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(10000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(text.contains(expected), qPrintable(text));
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name), files);
    for (const QString &name : files)
        QVERIFY(!QImage(QDir(out).filePath(name)).isNull());
}

void TestZplsink::savesLabelImages()
{
    QTemporaryDir dir;
    RunningSink sink({QStringLiteral("--png"), dir.path()});
    // A label is printed at its ^XZ, while the connection is still open.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, sink.port);
    QVERIFY(socket.waitForConnected(5000));
    socket.write("^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ2^XZ^XA");
    QVERIFY(socket.waitForBytesWritten(5000));
    const QString first = dir.filePath(QStringLiteral("job-0001-1.png"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(first) && QImage(first).size() == QSize(813, 1219), 5000);
    socket.write("^FO10,10^GB20,20,20^FS^XZ");
    QVERIFY(socket.waitForBytesWritten(5000));
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        QVERIFY(socket.waitForDisconnected(5000));
    sink.waitForJobs(1);
    QTRY_VERIFY_WITH_TIMEOUT((sink.output += sink.process.readAllStandardOutput()).contains("job-0001-2.png"), 5000);
    const QString out = QString::fromUtf8(sink.output);
    QVERIFY2(out.contains(QStringLiteral("标签 label job-0001-1.png: 813 x 1219 点 dots, 数量 quantity 2, ^PR B, ~SD 15\n"
                                         "    -> %1\n  标签 label job-0001-2.png").arg(first)),
             qPrintable(out));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"job-0001-1.png", "job-0001-2.png"}));
}

QTEST_GUILESS_MAIN(TestZplsink)
#include "tst_zplsink.moc"
