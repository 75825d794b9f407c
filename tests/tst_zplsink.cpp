// zplsink as a user runs it: a real process on 127.0.0.1, real connections,
// its terminal output and the files it saves.

#include "Bytes.h"

#include <QDir>
#include <QFile>
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

    // Output until `count` jobs have been reported whole.
    QByteArray waitForJobs(int count)
    {
        QElapsedTimer clock;
        clock.start();
        while ((output.count(" 字节 bytes") < count || !output.endsWith("\n\n")) && clock.elapsed() < 20000) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
        }
        return output;
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
    void reportsJob_data();
    void reportsJob();
    void savesNumberedJobs();
    void survivesHostileClients();
    void endsCleanlyOnInterrupt();
    void explainsItself_data();
    void explainsItself();
    void refusesBusyPort();
};

void TestZplsink::reportsJob_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArray>("expected"); // from the byte count on, as the terminal gets it

    QTest::newRow("a label job as it came") << QByteArray("^XA^FDAB12^FS^PQ2^XZ")
        << QByteArray("  20 字节 bytes\n^XA^FDAB12^FS^PQ2^XZ\n\n");
    QTest::newRow("C0 and DEL escaped, tab and line ends kept") << bytesOf("a\x1b[2Jb\x00\x7f\tc\r\n中")
        << QByteArray("  15 字节 bytes\na\\x1b[2Jb\\x00\\x7f\tc\r\n中\n\n");
    // A raw C1 byte and the UTF-8 C1 character each show byte for byte; other characters pass.
    QTest::newRow("C1 escaped, raw and in utf-8") << QByteArray("\x9b" "2J\xc2\x9b" "2J\xc2\x85文\xc2\xa0\x80")
        << QByteArray("  15 字节 bytes\n\\x9b2J\\xc2\\x9b2J\\xc2\\x85文\xc2\xa0\\x80\n\n");
    QTest::newRow("a job of 4 MiB arrives whole") << QByteArray(4 << 20, 'x') << QByteArray("  4194304 字节 bytes\nxxx");
    QTest::newRow("a job past 16 MiB is cut and reported") << QByteArray((16 << 20) + 10, 'y')
        << QByteArray("  16777216 字节 bytes（超出上限，另有 10 字节未保留 / 10 more bytes dropped）\nyyy");
}

void TestZplsink::reportsJob()
{
    QFETCH(QByteArray, job);
    QFETCH(QByteArray, expected);
    RunningSink sink;
    sink.send(job);
    const QByteArray out = sink.waitForJobs(1);
    QVERIFY2(out.contains(expected), out.left(300).constData());
    static const QRegularExpression time(QStringLiteral("\\n\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] 127\\.0\\.0\\.1:\\d+  "));
    QVERIFY2(QString::fromUtf8(out.left(300)).contains(time), out.left(300).constData());
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
    const QByteArray out = sink.waitForJobs(3);
    QVERIFY2(out.contains("  5 字节 bytes\nafter\n\n"), out.right(300).constData());
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

QTEST_GUILESS_MAIN(TestZplsink)
#include "tst_zplsink.moc"
