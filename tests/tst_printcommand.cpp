// The print command end to end: Config.ini in a temporary program folder,
// files and FIFOs as the printer device, real TCP printers on 127.0.0.1 that
// misbehave on purpose, and a played main window that records its messages.

#include "Delivery.h"
#include "LabelJob.h"
#include "LocalPrinter.h"
#include "PrintCommand.h"
#include "TestFiles.h"
#include "Winsock.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testfiles::Config;

namespace {

const QByteArray NetworkJob =
    "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ2^XZ";
const QByteArray ParallelJob =
    "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ\r\n";
const QString Long = QString(64000, QLatin1Char('w'));

struct PrintRow
{
    QByteArray settings;
    int printer, amount;    // LocalPrinter::Behaviour, -1: nobody listens; and its amount
    QString device;         // "file", "none", "no reader", "stuck", "reader leaves", "/dev/full"
    QString text, message;
    QByteArray wire;        // what the printer received
    QByteArray onDevice;    // for "reader leaves" and "stuck": how the first bytes read start
};

} // namespace

// The test's stand-in for the main window: a text, a socket, the last network
// job and a message box that records what it was asked to show.
class PlayedWindow : public QObject, public PrintSurface
{
    Q_OBJECT

public:
    explicit PlayedWindow(const PrintEnvironment &environment) : command(*this, environment) {}
    QObject *surfaceObject() override { return this; }
    bool isOpen() const override { return open; }
    QString currentText() const override { return text; }
    Winsock &socket() override { return winsock; }
    QString &netJob() override { return job; }
    void showMessage(const QString &message) override
    {
        messages << message;
        openWhileShown = openWhileShown || winsock.state() != QAbstractSocket::UnconnectedState;
        if (whileMessageShows)
            whileMessageShows();
    }

    QString text;
    bool open = true;
    QStringList messages;
    bool openWhileShown = false; // a connection was still open or pending when a message showed
    Winsock winsock{this};
    QString job;
    PrintCommand command;
    std::function<void()> whileMessageShows; // runs while the box would be up
};

class TestPrintCommand : public QObject
{
    Q_OBJECT

private slots:
    void print_data();
    void print();
    void duringWaits_data();
    void duringWaits();
};

// PORT in a settings text or a message stands for the printer's port, DEV for
// the device's path. A message is a pattern for the whole text; "" for none.
void TestPrintCommand::print_data()
{
    QTest::addColumn<PrintRow>("row");

    // Most rows print "ab12" to a network printer that records, beside a device file.
    const auto row = [](const QString &name, const QByteArray &settings, int printer, const QString &message,
                        const QByteArray &wire = {}, const char *device = "file", const QString &text = "ab12",
                        int amount = 0, const QByteArray &onDevice = {}) {
        QTest::newRow(qPrintable(name)) << PrintRow{settings, printer, amount, device, text, message, wire, onDevice};
    };
    const int records = LocalPrinter::Records;
    const QString ok = QStringLiteral("打印成功");
    const auto badPort = [](const char *port) {
        return QRegularExpression::escape(
            QStringLiteral("端口号无效：“%1”。Config.ini 中 [network] 的 printerport 应为 1 到 65535 之间的整数。")
                .arg(QLatin1String(port)));
    };
    const QString detail = QStringLiteral("\n系统信息：.+");
    const QString refused = QStringLiteral("打印机 %1:PORT 拒绝连接（请检查端口号，以及打印机是否开机）。\n"
                                           "系统信息：对方拒绝连接（errno 111）");
    const QString gone = QStringLiteral("打印机 127\\.0\\.0\\.1:PORT 断开了连接，标签没有送出。");
    const QString partly = QStringLiteral("标签没有完整送达打印机 127\\.0\\.0\\.1:PORT：连接中断，打印机只接收了 \\d+ / %1 字节。");
    const auto cfg = [](const char *mode) { return Config(mode, "127.0.0.1", "PORT"); };

    for (const char *mode : {"lpt1", "LPT1", "lpt1;"}) // the last as the instructions write it
        row(QStringLiteral("mode \"%1\"").arg(mode), cfg(mode), records, "", {}, "file", "ab12", 0, ParallelJob);
    for (const char *mode : {"ip", "IP", "tcpip;"})
        row(QStringLiteral("mode \"%1\"").arg(mode), cfg(mode), records, ok, NetworkJob);
    for (const char *mode : {"Lpt1", "TCPIP", "lpt1 ;x", ""})
        row(QStringLiteral("mode \"%1\" names no link").arg(mode), cfg(mode), records, "你没JJ！");
    row("no settings file", QByteArray(), records, "你没JJ！");
    row("empty text and darkness, network", Config("ip", "127.0.0.1", "PORT", ""), records, ok,
        "^XA^PRB^XZ~SD^XA^FO40,30^BQN,2,4^FDHM,A^FS^FO160,50^A0,89,89^FD^FS^PQ2^XZ", "file", "");
    row("line break marker in darkness, parallel", Config("lpt1", "127.0.0.1", "PORT", "1<S:BR>5"), records, "", {},
        "file", "a", 0, "^XA^PRB^XZ~SD1\r\n5^XA^FO40,30^BQN,2,4^FDHM,AA^FS^FO160,50^A0,89,89^FDA^FS^PQ1^XZ\r\n");
    row("chinese text in utf-8", cfg("ip"), records, ok,
        "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,A\xE6\xA0\x87\xE7\xAD\xBE" "A^FS^FO160,50^A0,89,89^FD"
        "\xE6\xA0\x87\xE7\xAD\xBE" "A^FS^PQ2^XZ", "file", QStringLiteral("标签a"));
    row("port and host with blanks and sign", Config("ip", "\"  localhost \"", "\" +PORT \""), records, ok, NetworkJob);
    row("port 65535, the highest, is tried", Config("ip", "127.0.0.1", "65535"), -1,
        refused.arg("127\\.0\\.0\\.1").replace("PORT", "65535"));
    for (const char *port : {"", "abc", "91 00", "9100.5", "4294977396", "0", "-9100", "65536", "0x238c"})
        row(QStringLiteral("port \"%1\"").arg(port), Config("ip", "127.0.0.1", port), records, badPort(port));
    row("empty host", Config("ip", "   ", "9100"), records,
        QStringLiteral("打印机地址为空：请在 Config.ini 的 \\[network\\] 中填写 printerip。"));
    row("printer named by a host name", Config("ip", "localhost", "PORT"), records, ok, NetworkJob);
    // The test's own names: "two.test" is ::1 then 127.0.0.1, as Debian's /etc/hosts has localhost;
    // "slow.test" is 127.0.0.1 then ::1, where another printer listens at the same port.
    row("name's first address refuses", Config("ip", "two.test", "PORT"), records, ok, NetworkJob);
    row("name's first address never answers", Config("ip", "slow.test", "PORT"), LocalPrinter::NeverAnswers, ok);
    row("every address of a name refuses", Config("ip", "two.test", "PORT"), -1,
        refused.arg("two\\.test") + QStringLiteral("\n已依次尝试这个名称的 2 个地址：::1、127\\.0\\.0\\.1。"));
    row("name that does not resolve", Config("ip", "nosuch.invalid", "PORT"), records,
        QStringLiteral("找不到打印机地址“nosuch.invalid”：这个主机名无法解析（请检查 Config.ini 中 \\[network\\] 的 "
                       "printerip）。\n系统信息：主机名不存在，或没有地址（QHostInfo::HostNotFound）"));
    row("nobody listening", cfg("ip"), -1, refused.arg("127\\.0\\.0\\.1"));
    row("link-local address without its interface: fails before any packet", Config("ip", "fe80::1", "PORT"), -1,
        QStringLiteral("无法连接打印机 fe80::1:PORT。") + detail);
    row("scoped address of an interface not here: fails at its lookup", Config("ip", "fe80::1%nosuch", "PORT"), -1,
        QStringLiteral("无法连接打印机 fe80::1%nosuch:PORT。\n系统信息：.+（getaddrinfo -2）"));
    row("resets on accept", cfg("ip"), LocalPrinter::ResetsOnAccept,
        gone + QStringLiteral("\n系统信息：连接被对方重置（errno 104）"));
    row("closes on accept", cfg("ip"), LocalPrinter::ClosesOnAccept,
        gone + QStringLiteral("\n系统信息：连接被对方关闭（QAbstractSocket::RemoteHostClosedError）"));
    row("resets after taking the whole job", cfg("ip"), LocalPrinter::ResetsAfter,
        QStringLiteral("打印机 127\\.0\\.0\\.1:PORT 收下全部 83 字节后中断了连接，标签可能没有打印。") + detail, NetworkJob,
        "file", "ab12", 83);
    row("resets after 1024 bytes of a long job", cfg("ip"), LocalPrinter::ResetsAfter, partly.arg(128075) + detail,
        {}, "file", Long, 1024);
    row("answers at the second connection request", cfg("ip"), LocalPrinter::AnswersLate, ok, NetworkJob, "file",
        "ab12", 300);
    row("never answers", cfg("ip"), LocalPrinter::NeverAnswers,
        QStringLiteral("打印机 127\\.0\\.0\\.1:PORT 在 2 秒内没有应答（请检查打印机地址、网线和打印机电源）。"));
    row("never reads a long job", cfg("ip"), LocalPrinter::NeverReads,
        QStringLiteral("打印机 127\\.0\\.0\\.1:PORT 在 1 秒内只接收了 \\d+ / 128075 字节，其余部分仍在后台发送"
                       "（请检查打印机是否缺纸、暂停或忙碌）。"), {}, "file", Long);

    row("device missing", cfg("lpt1"), records,
        QRegularExpression::escape(QStringLiteral("找不到打印机设备 DEV（这台电脑可能没有并口或 USB 打印机，或打印机未连接；"
                                                  "可在 Config.ini 的 [prtmod] 中用 device= 指定设备）。\n"
                                                  "系统信息：设备不存在（errno 2）")), {}, "none");
    row("device without reader", cfg("lpt1"), records,
        QStringLiteral("打印机设备 DEV 未就绪（请检查打印机是否开机、联机，以及打印线）。\n系统信息：设备未就绪（errno 6）"), {},
        "no reader");
    row("device's reader leaves during the write", cfg("lpt1"), records,
        QStringLiteral("打印机设备 DEV 在接收途中断开了，标签没有完整送出（请检查打印机和打印线）。\n"
                       "系统信息：管道的读取方已关闭（errno 32）"), {}, "reader leaves", Long, 0,
        "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AWWWW");
    row("device that takes 4 KiB in the first wait, then nothing", cfg("lpt1"), records,
        QStringLiteral("打印机在 1 秒内没有接收设备 DEV 上的数据，标签没有完整送出（请检查打印机是否联机、缺纸或卡纸）。"), {},
        "stuck", Long, 0, "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,^XA^PRB");
    row("device not writable (a kernel file: not for root either)", cfg("lpt1"), records,
        QRegularExpression::escape(QStringLiteral("没有权限写入打印机设备 /sys/kernel/uevent_seqnum：当前用户不在 lp 组中。"
                                                  "请运行 sudo usermod -aG lp %1，然后重新登录。").arg(qEnvironmentVariable("USER", "$USER")))
            + QStringLiteral("\n系统信息：拒绝访问（errno \\d+）"), {}, "/sys/kernel/uevent_seqnum");
    row("device refuses the bytes (a kernel file)", cfg("lpt1"), records,
        QStringLiteral("写入打印机设备 /proc/self/clear_refs 失败，标签没有完整送出。") + detail, {}, "/proc/self/clear_refs");
    row("device out of paper", cfg("lpt1"), records,
        QStringLiteral("打印机设备 /dev/full 报告缺纸，标签没有完整送出（请装好标签纸后再打印）。\n系统信息：缺纸（errno 28）"), {},
        "/dev/full");
}

void TestPrintCommand::print()
{
    QFETCH(PrintRow, row);
    auto &[settings, printer, amount, device, text, message, wire, onDevice] = row;

    const std::unique_ptr<LocalPrinter> local(printer < 0 ? nullptr
                                                          : new LocalPrinter(LocalPrinter::Behaviour(printer), amount));
    const QByteArray portText = QByteArray::number(local ? local->port() : LocalPrinter::freedPort());
    testfiles::ProgramFolder folder;
    PrintEnvironment environment{folder.path(), folder.device(), 300, 1500, 800}; // short waits
    QByteArray firstBytes;
    int stuck[2] = {-1, -1}; // a FIFO device's reader and writer
    const auto closeStuck = qScopeGuard([&stuck] { ::close(stuck[0]), ::close(stuck[1]); });
    if (settings.contains(".test"))
        environment.resolve = [](const QString &name) {
            const QList<QHostAddress> both{QHostAddress::LocalHostIPv6, QHostAddress::LocalHost};
            return name == QLatin1String("slow.test") ? QList<QHostAddress>{both[1], both[0]} : both;
        };
    QTcpServer second; // slow.test's ::1
    QByteArray atSecond;
    if (settings.contains("slow.test")) {
        QVERIFY(second.listen(QHostAddress::LocalHostIPv6, local->port()));
        connect(&second, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *socket = second.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [&atSecond, socket] { atSecond += socket->readAll(); });
        });
    }
    if (device == "file")
        folder.createDevice();
    else if (device == "no reader" || device == "reader leaves" || device == "stuck")
        QCOMPARE(::mkfifo(qPrintable(folder.device()), 0600), 0);
    if (device == "reader leaves" || device == "stuck") {
        stuck[0] = ::open(qPrintable(folder.device()), O_RDONLY | O_NONBLOCK);
        // Runs in the first wait, once the pipe is full: the reader takes the first bytes; one that leaves goes.
        QTimer::singleShot(0, this, [&] {
            firstBytes.resize(4096);
            firstBytes.resize(qMax<ssize_t>(0, ::read(stuck[0], firstBytes.data(), 4096)));
            if (row.device == "reader leaves")
                ::close(std::exchange(stuck[0], -1));
        });
    }
    if (device == "stuck") { // it is full already
        stuck[1] = ::open(qPrintable(folder.device()), O_WRONLY | O_NONBLOCK);
        while (::write(stuck[1], NetworkJob.constData(), 64) > 0) {
        }
    } else if (device.startsWith(QLatin1Char('/')))
        settings.replace("[prtmod]\r\n", "[prtmod]\r\ndevice=" + device.toLocal8Bit() + "\r\n");
    if (!settings.isEmpty())
        folder.writeConfig(settings.replace("PORT", portText));
    PlayedWindow window(environment);
    window.text = text;

    QElapsedTimer clock;
    clock.start();
    window.command.run();
    const qint64 elapsed = clock.elapsed();

    // What every request owes: a prompt return, the one message, no
    // connection left open, and a socket ready for the next request.
    QVERIFY2(elapsed < 2500, qPrintable(QString::number(elapsed)));
    QCOMPARE(window.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        const QString pattern = QString(message).replace(QLatin1String("PORT"), QString::fromLatin1(portText))
                                    .replace(QLatin1String("DEV"), QRegularExpression::escape(folder.device()));
        QVERIFY2(QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$')).match(window.messages[0]).hasMatch(),
                 qPrintable(window.messages[0] + QLatin1String("\n  against: ") + pattern));
    }
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!window.openWhileShown);
    if (device == QLatin1String("file"))
        QCOMPARE(folder.deviceBytes(), onDevice);
    if (device == QLatin1String("reader leaves") || device == QLatin1String("stuck"))
        QVERIFY2(firstBytes.startsWith(onDevice), firstBytes.left(60).constData());
    if (second.isListening())
        QTRY_COMPARE(atSecond, NetworkJob);
    if (local) {
        // One connection at most, and none left empty by an address tried before.
        QVERIFY2(local->connections() <= 1, qPrintable(QString::number(local->connections())));
        if (printer == LocalPrinter::Records || printer == LocalPrinter::AnswersLate)
            QTRY_COMPARE(local->finished(), local->connections());
        if (!wire.isEmpty())
            QTRY_COMPARE(local->jobs().value(0), wire);
    }
    // A printer that never reads is waited for; one that answers late, at its second request.
    const int waited = printer == LocalPrinter::NeverReads ? 800 : printer == LocalPrinter::AnswersLate ? 300 : 0;
    QVERIFY2(elapsed >= waited, qPrintable(QString::number(elapsed)));

    LocalPrinter good;
    folder.writeConfig(Config("ip", good.port()));
    window.text = QStringLiteral("ab12");
    window.command.run();
    QCOMPARE(window.messages.last(), QStringLiteral("打印成功"));
    QTRY_COMPARE(good.jobs(), QList<QByteArray>{NetworkJob});
}

void TestPrintCommand::duringWaits_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("afterSend");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");

    const QStringList ok{QStringLiteral("打印成功")};
    QTest::newRow("text typed in the first wait is printed") << "type" << false << "old" << ok;
    QTest::newRow("a second click is ignored") << "click" << false << "ab12" << ok;
    QTest::newRow("window closed in the first wait sends nothing") << "close" << false << "ab12" << QStringList();
    QTest::newRow("window closed in the second wait shows nothing") << "close" << true << "ab12" << QStringList();
    QTest::newRow("window destroyed in the first wait") << "destroy" << false << "ab12" << QStringList();
    QTest::newRow("window destroyed in the second wait") << "destroy" << true << "ab12" << QStringList();
    QTest::newRow("window destroyed while a long job goes out slowly") << "destroy" << true << Long << QStringList();
}

void TestPrintCommand::duringWaits()
{
    QFETCH(QString, what);
    QFETCH(bool, afterSend);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);

    LocalPrinter printer(text == Long ? LocalPrinter::ReadsSlowly : LocalPrinter::Records, 16384);
    testfiles::ProgramFolder folder;
    folder.writeConfig(Config("ip", printer.port()));
    auto *window = new PlayedWindow(folder.environment());
    window->text = text;
    const QPointer<PlayedWindow> watch = window;
    QStringList shown;
    window->whileMessageShows = [&] { shown = window->messages; };
    bool wasRunning = false;
    const auto act = [&] {
        if (watch && what == "type")
            window->text = QStringLiteral("ab12");
        if (watch && what == "click")
            wasRunning = window->command.isRunning(), window->command.run();
        if (watch && what == "close")
            window->open = false;
        if (watch && what == "destroy")
            delete window;
    };
    connect(&printer, afterSend ? &LocalPrinter::bytesReceived : &LocalPrinter::connectionAccepted, this, act,
            Qt::SingleShotConnection);
    window->command.run();

    QCOMPARE(shown, messages);
    QCOMPARE(wasRunning, what == "click");
    const QByteArray expected = afterSend || messages == QStringList{QStringLiteral("打印成功")}
        ? ComposeLabelJob(QStringLiteral("15"), text == Long ? text : QStringLiteral("ab12"), LabelVariant::Network)
              .toUtf8()
        : QByteArray();
    // As at the program's end: the wait ends as soon as the job is delivered.
    QElapsedTimer clock;
    clock.start();
    Delivery::FinishAll(10000);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs(), QList<QByteArray>{expected});
    delete watch.data();
}

QTEST_GUILESS_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
