// zplsink as a user runs it: a real process on 127.0.0.1, real connections,
// its terminal output, the files and label images it saves and its answers
// to options.

#include "TestFiles.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A running zplsink on a port the system chose.
class RunningSink
{
public:
    explicit RunningSink(const QStringList &extra = {})
    {
        process.start(QStringLiteral(ZPLSINK_PATH), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + extra);
        readUntil([this] { return output.contains("Ctrl+C quits\n"); });
        static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        port = quint16(listening.match(QString::fromUtf8(output)).captured(1).toUInt());
        if (port == 0)
            qFatal("zplsink did not say where it listens: %s", output.constData());
    }
    ~RunningSink() { process.kill(), process.waitForFinished(); }

    // A connection that has sent `bytes` and stays open.
    std::unique_ptr<QTcpSocket> open(const QByteArray &bytes) const
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        if (!socket->waitForConnected(5000)
            || (!bytes.isEmpty() && (socket->write(bytes) < 0 || !socket->waitForBytesWritten(5000))))
            qFatal("cannot send to zplsink: %s", qPrintable(socket->errorString()));
        return socket;
    }
    // Sends `bytes` on a connection of its own, closes it and waits for its report: the output so far.
    QByteArray send(const QByteArray &bytes)
    {
        const auto socket = open(bytes);
        socket->disconnectFromHost(); // after all is written
        if (socket->state() != QAbstractSocket::UnconnectedState && !socket->waitForDisconnected(10000))
            qFatal("zplsink does not end a connection");
        return waitForJobs(++sent);
    }

    // Output until `count` jobs have been reported whole.
    QByteArray waitForJobs(int count)
    {
        readUntil([&] {     // the last report whole (other lines may follow it)
            return output.count(" 字节 bytes") >= count && output.indexOf("\n\n", output.lastIndexOf(" 字节 bytes")) >= 0;
        });
        return output;
    }

    QProcess process;
    QByteArray output;
    quint16 port = 0;
    int sent = 0;

    template <typename Done>
    void readUntil(Done done)
    {
        const QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired() && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
        }
    }
};

// A printer for --forward: keeps each connection's bytes as it ends and
// answers ~HS with an answer of its own.
class PrinterStandIn : public QObject
{
public:
    static constexpr char Answer[] = "\x02STAND\x03\x02IN\x03\x02HS\x03\r\n";
    PrinterStandIn()
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = server.nextPendingConnection();
            auto bytes = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, bytes] {
                *bytes += socket->readAll();
                if (bytes->endsWith("~HS"))
                    socket->write(Answer);
            });
            const auto ended = [this, socket, bytes] { jobs << *bytes + socket->readAll(), socket->deleteLater(); };
            connect(socket, &QTcpSocket::disconnected, this, ended);
            if (socket->state() != QAbstractSocket::ConnectedState) // closed before it was taken
                ended();
        });
    }
    void listen(quint16 port = 0)
    {
        if (!server.listen(QHostAddress::LocalHost, port))
            qFatal("the stand-in cannot listen");
    }
    QTcpServer server;
    QByteArrayList jobs;
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
    void runsOnce_data();
    void runsOnce();
    void savesLabelImages();
    void answersQueries_data();
    void answersQueries();
    void watchesFolder_data();
    void watchesFolder();
    void forwardsJobs();

private:
    QTcpServer m_busy; // a port taken
    QTemporaryDir m_dir;
};

namespace {

const QByteArray IdleStatus = QByteArray("\x02" "030,0,0,1219,000,0,0,0,000,0,0,0\x03\r\n")
                            + "\x02" "000,0,0,0,0,2,0,0,00000000,1,000\x03\r\n\x02" "1234,0\x03\r\n";
const QByteArray NoErrors = "\x02\r\nPRINTER STATUS\r\n  ERRORS:   0 00000000 00000000\r\n"
                            "  WARNINGS: 0 00000000 00000000\r\n\x03\r\n";
const QByteArray Box = "^XA^FO10,10^GB20,20,2^FS^XZ";

} // namespace

void TestZplsink::reportsJob_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArray>("expected"); // from the byte count on, as the terminal gets it
    QTest::addColumn<QByteArray>("leftOpen"); // sent on a connection still open at Ctrl+C

    QTest::newRow("a label job as it came") << QByteArray("^XA^FDAB12^FS^PQ2^XZ")
        << QByteArray("  20 字节 bytes\n^XA^FDAB12^FS^PQ2^XZ\n"
                      "  标签 label job-0001-1.png: 813 x 1219 点 dots, 数量 quantity 2\n\n") << QByteArray();
    QTest::newRow("Ctrl+C with a connection open reports it") << QByteArray("first")
        << QByteArray("  8 字节 bytes\n^XA^FDop\n  标签 label job-0002-1.png") << QByteArray("^XA^FDop");
    QTest::newRow("C0 and DEL escaped, tab, line ends and space kept") << "a\x1b[2Jb\x00\x1f \x7f\tc\r\n中"_ba
        << QByteArray("  17 字节 bytes\na\\x1b[2Jb\\x00\\x1f \\x7f\tc\r\n中\n\n") << QByteArray();
    // C1 shows byte for byte, raw or in UTF-8, as does a byte after a lead it cannot follow (E0 9B); others pass whole.
    QTest::newRow("C1 escaped, raw and in utf-8") << QByteArray("\x9b" "2J\xc2\x9b" "2J\xc2\x85势\xe0\xa0\x80\xc2\xa0\x80\xf0\x9f\x98\x80" "a\xe0\x9b")
        << QByteArray("  25 字节 bytes\n\\x9b2J\\xc2\\x9b2J\\xc2\\x85势\xe0\xa0\x80\xc2\xa0\\x80\xf0\x9f\x98\x80" "a\xe0\\x9b\n\n")
        << QByteArray();
    QTest::newRow("a job past 16 MiB arrives whole to the limit, the byte past it reported") << QByteArray((16 << 20) + 1, 'y')
        << QByteArray("  16777216 字节 bytes（超出上限，另有 1 字节未保留 / 1 more bytes dropped）\nyyy") << QByteArray();
}

void TestZplsink::reportsJob()
{
    QFETCH(QByteArray, job);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, leftOpen);
    RunningSink sink;
    QByteArray out = sink.send(job);
    static const QRegularExpression time(QStringLiteral("\\n\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] 127\\.0\\.0\\.1:\\d+  "));
    QVERIFY2(QString::fromUtf8(out.left(300)).contains(time), out.left(300).constData());
    const auto open = leftOpen.isEmpty() ? nullptr : sink.open(leftOpen);
    QTest::qWait(open ? 200 : 0);

    // Ctrl+C ends it cleanly.
    ::kill(pid_t(sink.process.processId()), SIGINT);
    QVERIFY(sink.process.waitForFinished(5000));
    out += sink.process.readAllStandardOutput();
    QVERIFY2(out.contains(expected), out.left(300).constData());
    QCOMPARE(sink.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sink.process.exitCode(), 0);
}

void TestZplsink::savesNumberedJobs()
{
    QTemporaryDir dir;
    testfiles::Write(dir.filePath(QStringLiteral("job-0007.zpl")), "kept");
    RunningSink sink({QStringLiteral("--out"), dir.path(), QStringLiteral("--png"), dir.path(), QStringLiteral("--window")});
    sink.send("");
    sink.send("first\x00job^XA^FDx^FS^XZ"_ba);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
             (QStringList{"job-0007.zpl", "job-0008.zpl", "job-0009-1.png", "job-0009.zpl"}));  // its label's image too
    const auto saved = [&dir](const char *name) { return testfiles::Read(dir.filePath(QLatin1String(name))); };
    QCOMPARE(saved("job-0007.zpl"), QByteArray("kept"));
    QCOMPARE(saved("job-0008.zpl"), QByteArray());
    QCOMPARE(saved("job-0009.zpl"), "first\x00job^XA^FDx^FS^XZ"_ba);
}

void TestZplsink::survivesHostileClients()
{
    RunningSink sink;
    // Connections left open side by side, one torn off, then random bytes.
    const auto idle = sink.open(""), torn = sink.open(QByteArray(100000, '\xff'));
    torn->abort();
    QByteArray noise(300000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xff);
    sink.send(noise);
    sink.send("after");
    const QByteArray out = sink.waitForJobs(3);
    QVERIFY2(out.contains("  5 字节 bytes\nafter\n\n"), out.right(300).constData());
    QCOMPARE(sink.process.state(), QProcess::Running);
}

void TestZplsink::runsOnce_data()
{
    QTest::addColumn<QStringList>("options");       // "JOB" stands for the job file's path
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");          // in the output (standard output, then error)
    QTest::addColumn<QStringList>("files");         // written to the output folder
    QTest::addColumn<QByteArray>("input");          // standard input
    const auto row = [](const char *name, const QStringList &options, int status, const QString &expected,
                        const QStringList &files = {}, const QByteArray &input = {}) {
        QTest::newRow(name) << options << status << expected << files << input;
    };
    QVERIFY(m_busy.isListening() || m_busy.listen(QHostAddress::LocalHost, 0));
    const QString busy = QString::number(m_busy.serverPort());
    row("help in chinese and english", {"--help"}, 0, QStringLiteral("按 Ctrl+C 退出。\nA virtual network label printer"));
    row("help explains each option in both", {"--help"}, 0, QStringLiteral("状态应答报告缺纸 / status answers say the paper is out"));
    row("version", {"--version"}, 0, QStringLiteral("zplsink " ZPLTEST_VERSION));
    row("default port on an address not on this machine", {"--listen", "192.0.2.1"}, 1, "无法在 192.0.2.1:9100 监听");
    row("port 65535, the highest, tried", {"--listen", "192.0.2.1", "--port", "65535"}, 1, "无法在 192.0.2.1:65535 监听");
    row("port 65536", {"--port", "65536"}, 1, "zplsink: 端口无效 / invalid port: 65536");
    row("busy HTTP port", {"--http", busy}, 1, QStringLiteral("cannot serve HTTP on 127.0.0.1:%1: ").arg(busy));
    const auto config = [this](const char *name, const QByteArray &network) {
        const QString path = m_dir.filePath(QLatin1String(name));
        testfiles::Write(path, "[prtmod]\nprtmod=ip\n[network]\n" + network);
        return QStringList{QStringLiteral("--config"), path};
    };
    row("config naming a LAN printer", config("lan.ini", "printerip= 192.168.1.50 \nprinterport=9100\n"), 1,
        QStringLiteral("printerip \"192.168.1.50\" in %1 is not this machine: zplsink only plays a printer on this machine")
            .arg(m_dir.filePath(QStringLiteral("lan.ini"))));
    row("config naming localhost, its port in use: both loopbacks tried", config("busy.ini", "printerip =  LOCALHOST \n"
        "printerport=" + busy.toLatin1() + " ;9100\n"), 1, QStringLiteral("无法在 127.0.0.1:%1, [::1]:%1 监听").arg(busy));
    row("config with port 0", config("zero.ini", "printerip=127.0.0.1\nprinterport=0\n"), 1,
        QStringLiteral("invalid printerport \"0\" in [network]"));
    row("config with port 65536", config("big.ini", "printerip=127.0.0.1\nprinterport=65536\n"), 1,
        QStringLiteral("invalid printerport \"65536\""));
    row("config missing", {"--config", m_dir.filePath(QStringLiteral("none.ini"))}, 1,
        QStringLiteral("找不到设置文件 / cannot find the settings file %1").arg(m_dir.filePath(QStringLiteral("none.ini"))));
    const QStringList two{"label-1.png", "label-2.png"};
    row("one PNG per label, media in mm with decimals", {"--render", "JOB", "--media", "1.5x30mm"}, 0,
        "label-2.png: 12 x 240", two);
    row("24 dots per mm", {"--render", "JOB", "--dpmm", "24", "--media", "2x1in"}, 0, "label-1.png: 1219 x 610", two);
    row("standard input, its format after 70 000 blanks", {"--render", "-"}, 0,
        QStringLiteral("stdin-1.png: 813 x 1219 点 dots, 数量 quantity 3"), {"stdin-1.png"},
        QByteArray(70000, ' ') + "^XA^FDx^FS^PQ3^XZ");
    row("notes quote no control bytes", {"--render", "-"}, 0, "@3 ^FO: parameter 1 \"?[2J\" is not a number",
        {"stdin-1.png"}, "^XA^FO\x1b[2J,5^FDx^FS^XZ");
    QStringList thousand;
    for (int i = 1; i <= 1000; ++i)
        thousand << QStringLiteral("stdin-%1.png").arg(i);
    thousand.sort();
    row("at most 1000 labels a job", {"--render", "-"}, 0, "1 more labels not rendered (at most 1000 per job)", thousand,
        QByteArray("^XA^FS^XZ").repeated(1001));
    row("a job without a format", {"--render", "-"}, 0, "-: 没有标签 / no labels (no ^XA ... ^XZ format)", {}, "^FDx^FS");
    row("unreadable file", {"--render", "missing.zpl"}, 1, QStringLiteral("无法读取 / cannot read missing.zpl"));
    row("bad dots per mm", {"--render", "JOB", "--dpmm", "7"}, 1, "invalid dots per mm: 7");
    row("bad media", {"--render", "JOB", "--media", "4x"}, 1, "invalid media size: 4x");
}

void TestZplsink::runsOnce()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, expected);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const QString job = dir.filePath(QStringLiteral("label.zpl"));
    testfiles::Write(job, "^XA^FO10,10^GB50,50,5^FS^XZ\n^XA^FO20,20^A0N,40^FDTwo^FS^XZ");
    const QString out = dir.filePath(QStringLiteral("png"));
    options.replaceInStrings(QStringLiteral("JOB"), job);
    QProcess process; // as from a terminal without a display
    process.setEnvironment(QProcess::systemEnvironment().filter(QRegularExpression("^(?!QT_QPA_PLATFORM=|DISPLAY=|WAYLAND_DISPLAY=)")));
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(ZPLSINK_PATH), options + QStringList{QStringLiteral("--out"), out});
    if (input.size() > 16) { // a pipe hands its bytes over in pieces: the last 16 come a moment later
        process.write(input.chopped(16));
        QVERIFY(process.waitForBytesWritten(5000));
        QTest::qWait(300);
    }
    process.write(input.right(16));
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
    const auto socket =
        sink.open("^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ2^XZ^XA");
    const QString first = dir.filePath(QStringLiteral("job-0001-1.png"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(first) && QImage(first).size() == QSize(813, 1219), 5000);
    socket->write("^FO10,10^GB20,20,20^FS^XZ");
    QVERIFY(socket->waitForBytesWritten(5000));
    socket->disconnectFromHost();
    sink.waitForJobs(1);
    QTRY_VERIFY_WITH_TIMEOUT((sink.output += sink.process.readAllStandardOutput()).contains("job-0001-2.png"), 5000);
    const QString out = QString::fromUtf8(sink.output);
    QVERIFY2(out.contains(QStringLiteral("标签 label job-0001-1.png: 813 x 1219 点 dots, 数量 quantity 2, ^PR B, ~SD 15\n"
                                         "    -> %1\n  标签 label job-0001-2.png").arg(first)),
             qPrintable(out));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"job-0001-1.png", "job-0001-2.png"}));
}

// Answers come byte for byte on the same connection while it stays open;
// the labels around a query still print.
void TestZplsink::answersQueries_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("labels");
    QTest::newRow("~HI and ~HQES, lower case") << QStringList{"--dpmm", "12"} << QByteArray("~hi\r\n~HQES")
        << QByteArray("\x02ZPLSINK,V1.0.0,12,8192KB,\x03\r\n") + NoErrors << 0;
    QTest::newRow("~HS between labels") << QStringList() << Box + "~HS" + Box << IdleStatus << 2;
    QTest::newRow("^LL of an earlier connection gives the label length, open format flagged") << QStringList()
        << QByteArray("^XA^LL800^XZ||^XA~HS")
        << QByteArray("\x02" "030,0,0,0800,000,0,0,1,000,0,0,0\x03\r\n") + IdleStatus.mid(36) << 0;
    QTest::newRow("paper out") << QStringList{"--paper-out"} << QByteArray("~HS~HQES")
        << QByteArray("\x02" "030,1,0,1219") + IdleStatus.mid(13)
               + "\x02\r\nPRINTER STATUS\r\n  ERRORS:   1 00000000 00000001\r\n  WARNINGS: 0 00000000 00000000\r\n\x03\r\n"
        << 0;
    QTest::newRow("paused") << QStringList{"--paused"} << QByteArray("~HS")
                            << QByteArray("\x02" "030,0,1,1219") + IdleStatus.mid(13) << 0;
    // Before "||": an earlier connection. A format stored there is the printer's, not the connection's.
    QTest::newRow("a stored format outlives its connection") << QStringList()
        << QByteArray("^XA^DFR:T.ZPL^FS^FO10,10^A0N,30^FN1^FS^XZ||^XA^XFR:T.ZPL^FN1^FDhi^FS^XZ") << QByteArray() << 1;
}

void TestZplsink::answersQueries()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    QFETCH(int, labels);
    RunningSink sink(options);
    const qsizetype split = sent.indexOf("||");
    if (split >= 0) {
        sink.send(sent.left(split));
        sent.remove(0, split + 2);
    }
    const auto socket = sink.open(sent);
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (got.size() < answer.size() && !deadline.hasExpired()) {
        socket->waitForReadyRead(100);
        got += socket->readAll();
    }
    QCOMPARE(got, answer);
    socket->disconnectFromHost();
    const QByteArray out = sink.waitForJobs(split >= 0 ? 2 : 1);
    QCOMPARE(int(out.count("  标签 label job-")), labels);
    QVERIFY2(labels == 0 || !out.contains("条提示 notes"), out.constData()); // labels as asked, nothing skipped
}

// --watch: files there at the start, one written with a pause, one that is no
// job, one whose name done/ has; each rendered once, moved, nothing overwritten.
void TestZplsink::watchesFolder_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("tree");      // every file in the folder afterwards
    const QStringList moved{"done/clash (2).zpl", "done/clash.zpl", "done/pre.zpl", "done/slow.zpl", "failed/bin.prn", "failed/bin.txt"};
    QTest::newRow("PNGs") << QStringList() << moved + QStringList{"out/clash (2)-1.png", "out/pre-1.png", "out/slow-1.png", "out/slow-2.png"};
    QTest::newRow("a PDF a file") << QStringList{"--pdf"} << moved + QStringList{"out/clash (2).pdf", "out/pre.pdf", "out/slow.pdf"};
}

void TestZplsink::watchesFolder()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, tree);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    testfiles::Write(folder.filePath("pre.zpl"), Box);
    QVERIFY(folder.mkdir("done"));
    testfiles::Write(folder.filePath("done/clash.zpl"), "kept");
    QProcess sink;
    sink.start(QStringLiteral(ZPLSINK_PATH), QStringList{"--watch", dir.path()} + options);
    QFile slow(folder.filePath("slow.zpl"));
    QVERIFY(sink.waitForReadyRead(10000) && slow.open(QIODevice::WriteOnly));
    slow.write("^XA^FO10,10^GB100,50,50");
    slow.flush();
    testfiles::Write(folder.filePath("bin.prn"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10).repeated(100));
    testfiles::Write(folder.filePath("clash.zpl"), Box);
    QTest::qWait(2500);     // longer than an unchanged file waits where the system cannot tell
    slow.write("^FS^XZ^XA^FO200,10^GB10,10,10^FS^XZ");
    slow.close();
    QTRY_COMPARE_WITH_TIMEOUT(testfiles::Tree(dir.path()), tree, 10000);
    QCOMPARE(testfiles::Read(folder.filePath("done/clash.zpl")), QByteArray("kept"));
    QVERIFY(testfiles::Read(folder.filePath("failed/bin.txt")).contains("no labels"));
    // slow.zpl: two labels, two pages (our PDF's page tree; tst_http reads such PDFs back with poppler)
    QVERIFY(!options.contains("--pdf") || testfiles::Read(folder.filePath("out/slow.pdf")).contains("/Count 2 >>"));
    sink.kill();
    sink.waitForFinished();
}

// --forward: the printer gets every job byte for byte and in order, its ~HS
// answer reaches the sender; a job sent while it is down arrives once when it
// is back, also when zplsink was restarted meanwhile.
void TestZplsink::forwardsJobs()
{
    PrinterStandIn printer;
    printer.listen();
    const quint16 port = printer.server.serverPort();
    QTemporaryDir out;
    const QStringList options{"--forward", QStringLiteral("127.0.0.1:%1").arg(port), "--out", out.path()};
    auto sink = std::make_unique<RunningSink>(options);
    const QByteArray one = Box + "\r\n\x01\xff", two = "^XA^FDtwo^FS^XZ~HS";
    sink->send(one);
    const auto asking = sink->open(two);
    QByteArray answer;
    QTRY_COMPARE_WITH_TIMEOUT((answer += asking->readAll()), QByteArray(PrinterStandIn::Answer), 5000);
    asking->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(printer.jobs, (QByteArrayList{one, "~HS", two}), 5000);

    printer.server.close();
    const QByteArray three = "^XA^FDthree^FS^XZ", four = "^XA^FDfour^FS^XZ";
    sink->send(three);
    QTest::qWait(500);
    printer.listen(port);
    QTRY_COMPARE_WITH_TIMEOUT(printer.jobs.count(three), 1, 8000);

    printer.server.close();
    sink->send(four);
    QTRY_VERIFY_WITH_TIMEOUT((sink->output += sink->process.readAllStandardOutput()).count("转发失败") == 2, 5000);
    sink.reset();
    printer.listen(port);
    sink = std::make_unique<RunningSink>(options);
    QTRY_COMPARE_WITH_TIMEOUT(printer.jobs.count(four), 1, 5000);
    QTest::qWait(500);
    QCOMPARE(printer.jobs, (QByteArrayList{one, "~HS", two, three, four}));
}

QTEST_GUILESS_MAIN(TestZplsink)
#include "tst_zplsink.moc"
