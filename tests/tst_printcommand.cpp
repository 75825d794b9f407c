// The print command end to end: Config.ini in a temporary program folder, a
// regular file or a FIFO as the parallel port, real TCP printers on
// 127.0.0.1, and a played main window that records its message boxes.

#include "LocalPrinter.h"
#include "Messages.h"
#include "PlayedWindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray ParallelJob =
    "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ\r\n";
const QByteArray NetworkJob =
    "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ2^XZ";

QByteArray config(const QByteArray &modeLine, quint16 port)
{
    return "[prtmod]\r\n" + modeLine + "\r\ndarkness=15\r\n[network]\r\nprinterip=127.0.0.1\r\nprinterport="
        + QByteArray::number(port) + "\r\n";
}

QByteArray config(const QByteArray &modeLine, const QByteArray &host, const QByteArray &port)
{
    return "[prtmod]\r\n" + modeLine + "\r\ndarkness=15\r\n[network]\r\nprinterip=" + host
        + "\r\nprinterport=" + port + "\r\n";
}

// A program folder with Config.ini and a regular file as the parallel port.
struct ProgramFolder
{
    QTemporaryDir dir;

    QString device() const { return dir.filePath(QStringLiteral("lp0")); }

    PrintEnvironment environment(int deviceTimeoutMs = 300) const
    {
        return {dir.path(), device(), deviceTimeoutMs};
    }

    void writeConfig(const QByteArray &text) const { write(QStringLiteral("Config.ini"), text); }

    void createDevice() const { write(QStringLiteral("lp0"), QByteArray()); }

    QByteArray deviceBytes() const
    {
        QFile file(device());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }
};

} // namespace

class TestPrintCommand : public QObject
{
    Q_OBJECT

private slots:
    void choosesLinkByMode_data();
    void choosesLinkByMode();
    void sendsExactBytes_data();
    void sendsExactBytes();
    void rejectsBadPort_data();
    void rejectsBadPort();
    void acceptsPortWithBlanksAndSign();
    void reportsEmptyHost();
    void reportsUnreachablePrinters_data();
    void reportsUnreachablePrinters();
    void neverReadingPrinterDoesNotHang();
    void connectionBrokenMidJobIsReported();
    void missingDeviceIsNotCreated();
    void deviceWithoutReaderIsNotReady();
    void stuckDeviceTimesOutWhileWindowStaysResponsive();
    void deviceReadThroughFifo();
    void textTypedDuringWaitIsPrinted();
    void secondPrintRightAfterFirst();
    void clickDuringWaitIsIgnored();
    void closingWindowDuringFirstWaitSendsNothing();
    void destroyingWindowDuringWaitsIsSafe_data();
    void destroyingWindowDuringWaitsIsSafe();
};

void TestPrintCommand::choosesLinkByMode_data()
{
    QTest::addColumn<QByteArray>("modeLine");
    QTest::addColumn<QString>("link");

    QTest::newRow("lpt1") << QByteArray("prtmod=lpt1") << "parallel";
    QTest::newRow("LPT1") << QByteArray("prtmod=LPT1") << "parallel";
    QTest::newRow("lpt1 with the instructions' semicolon") << QByteArray("prtmod=lpt1;") << "parallel";
    QTest::newRow("ip") << QByteArray("prtmod=ip") << "network";
    QTest::newRow("IP") << QByteArray("prtmod=IP") << "network";
    QTest::newRow("tcpip") << QByteArray("prtmod=tcpip") << "network";
    QTest::newRow("ip with the instructions' semicolon") << QByteArray("prtmod=ip;") << "network";
    QTest::newRow("Lpt1 is no mode") << QByteArray("prtmod=Lpt1") << "none";
    QTest::newRow("TCPIP is no mode") << QByteArray("prtmod=TCPIP") << "none";
    QTest::newRow("lpt1 and a blank is no mode") << QByteArray("prtmod=lpt1 ;x") << "none";
    QTest::newRow("empty mode") << QByteArray("prtmod=") << "none";
    QTest::newRow("no mode key") << QByteArray("mode=lpt1") << "none";
    QTest::newRow("no settings file") << QByteArray() << "none";
}

void TestPrintCommand::choosesLinkByMode()
{
    QFETCH(QByteArray, modeLine);
    QFETCH(QString, link);

    LocalPrinter printer;
    ProgramFolder folder;
    folder.createDevice();
    if (!modeLine.isEmpty())
        folder.writeConfig(config(modeLine, printer.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");

    window.command.run();

    if (link == QLatin1String("parallel")) {
        QCOMPARE(folder.deviceBytes(), ParallelJob);
        QCOMPARE(window.messages, QStringList());
    } else if (link == QLatin1String("network")) {
        QTRY_COMPARE(printer.finished(), 1);
        QCOMPARE(printer.jobs(), QList<QByteArray>{NetworkJob});
        QCOMPARE(window.messages, QStringList{QStringLiteral("打印成功")});
        QCOMPARE(window.job, QString::fromLatin1(NetworkJob));
        QCOMPARE(folder.deviceBytes(), QByteArray());
    } else {
        QCOMPARE(window.messages, QStringList{QStringLiteral("你没JJ！")});
        QTest::qWait(20);
        QCOMPARE(printer.connections(), 0);
        QCOMPARE(folder.deviceBytes(), QByteArray());
    }
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!window.command.isRunning());
}

void TestPrintCommand::sendsExactBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("darkness");
    QTest::addColumn<QByteArray>("fields"); // what the job carries between "~SD" and "^PQ"

    QTest::newRow("empty text") << QString() << QByteArray("15")
        << QByteArray("15^XA^FO40,30^BQN,2,4^FDHM,A^FS^FO160,50^A0,89,89^FD^FS");
    QTest::newRow("empty darkness") << QStringLiteral("a") << QByteArray()
        << QByteArray("^XA^FO40,30^BQN,2,4^FDHM,AA^FS^FO160,50^A0,89,89^FDA^FS");
    QTest::newRow("darkness with line break marker") << QStringLiteral("a") << QByteArray("1<S:BR>5")
        << QByteArray("1\r\n5^XA^FO40,30^BQN,2,4^FDHM,AA^FS^FO160,50^A0,89,89^FDA^FS");
    QTest::newRow("chinese text in utf-8") << QStringLiteral("标签a") << QByteArray("15")
        << QByteArray("15^XA^FO40,30^BQN,2,4^FDHM,A\xE6\xA0\x87\xE7\xAD\xBE" "A^FS^FO160,50^A0,89,89^FD"
                      "\xE6\xA0\x87\xE7\xAD\xBE" "A^FS");
}

void TestPrintCommand::sendsExactBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, darkness);
    QFETCH(QByteArray, fields);

    for (const QByteArray mode : {"lpt1", "ip"}) {
        LocalPrinter printer;
        ProgramFolder folder;
        folder.createDevice();
        folder.writeConfig("[prtmod]\nprtmod=" + mode + "\ndarkness=" + darkness
                           + "\n[network]\nprinterip=127.0.0.1\nprinterport="
                           + QByteArray::number(printer.port()) + "\n");
        PlayedWindow window(folder.environment());
        window.text = text;
        window.command.run();

        if (mode == "lpt1") {
            QCOMPARE(folder.deviceBytes(), "^XA^PRB^XZ~SD" + fields + "^PQ1^XZ\r\n");
        } else {
            QTRY_COMPARE(printer.finished(), 1);
            QCOMPARE(printer.jobs().value(0), "^XA^PRB^XZ~SD" + fields + "^PQ2^XZ");
        }
    }
}

void TestPrintCommand::rejectsBadPort_data()
{
    QTest::addColumn<QByteArray>("port");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("not a number") << QByteArray("abc");
    QTest::newRow("blank inside") << QByteArray("91 00");
    QTest::newRow("fraction") << QByteArray("9100.5");
    QTest::newRow("beyond 32 bits") << QByteArray("4294977396");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-9100");
    QTest::newRow("beyond 65535") << QByteArray("65536");
    QTest::newRow("hexadecimal") << QByteArray("0x238c");
}

void TestPrintCommand::rejectsBadPort()
{
    QFETCH(QByteArray, port);

    LocalPrinter printer;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", "127.0.0.1", port));
    PlayedWindow window(folder.environment());
    window.command.run();

    QCOMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages[0].startsWith(QStringLiteral("端口号无效：")), qPrintable(window.messages[0]));
    QVERIFY(window.messages[0].contains(QString::fromLatin1(port)));
    QCOMPARE(window.winsock.remoteHost(), QStringLiteral("127.0.0.1"));
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(20);
    QCOMPARE(printer.connections(), 0);
}

void TestPrintCommand::acceptsPortWithBlanksAndSign()
{
    LocalPrinter printer;
    ProgramFolder folder;
    // Quotes keep the blanks past the settings reader; the host loses its spaces.
    folder.writeConfig(config("prtmod=ip", "\"  127.0.0.1 \"",
                              "\" +" + QByteArray::number(printer.port()) + " \""));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");
    window.command.run();

    QCOMPARE(window.messages, QStringList{QStringLiteral("打印成功")});
    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs().value(0), NetworkJob);
}

void TestPrintCommand::reportsEmptyHost()
{
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", "   ", "9100"));
    PlayedWindow window(folder.environment());
    window.command.run();
    QCOMPARE(window.messages, QStringList{Messages::EmptyHost()});
}

void TestPrintCommand::reportsUnreachablePrinters_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<QString>("cause");
    QTest::newRow("nothing listening") << "refuses" << Messages::CauseRefused();
    // Reset before the socket saw its connection come up, it never does.
    QTest::newRow("resets on accept") << "resets" << QString();
    QTest::newRow("closes on accept") << "closes" << Messages::CauseRemoteClosed();
}

void TestPrintCommand::reportsUnreachablePrinters()
{
    QFETCH(QString, printer);
    QFETCH(QString, cause);

    std::unique_ptr<LocalPrinter> hangingUp;
    quint16 port = 0;
    if (printer == QLatin1String("refuses")) {
        port = LocalPrinter::freedPort();
    } else {
        hangingUp = std::make_unique<LocalPrinter>(printer == QLatin1String("resets")
                                                       ? LocalPrinter::ResetsOnAccept
                                                       : LocalPrinter::ClosesOnAccept);
        port = hangingUp->port();
    }
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", port));
    PlayedWindow window(folder.environment());
    window.command.run();

    QCOMPARE(window.messages.size(), 1);
    const QString &message = window.messages[0];
    if (cause.isEmpty()) {
        QCOMPARE(message, Messages::NotConnectedInTime(QStringLiteral("127.0.0.1"), port));
    } else {
        QVERIFY2(message.startsWith(QStringLiteral("无法把标签发送到打印机 127.0.0.1:%1：%2。").arg(port).arg(cause)),
                 qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("\n系统信息：")), qPrintable(message));
    }
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);

    // The error path left the socket ready for the next request.
    LocalPrinter good;
    folder.writeConfig(config("prtmod=ip", good.port()));
    window.text = QStringLiteral("ab12");
    window.command.run();
    QCOMPARE(window.messages.value(1), QStringLiteral("打印成功"));
    QTRY_COMPARE(good.finished(), 1);
    QCOMPARE(good.jobs().value(0), NetworkJob);
}

void TestPrintCommand::neverReadingPrinterDoesNotHang()
{
    LocalPrinter deaf(LocalPrinter::NeverReads);
    LocalPrinter good;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", deaf.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");

    QElapsedTimer clock;
    clock.start();
    window.command.run();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(window.messages, QStringList{QStringLiteral("打印成功")});

    folder.writeConfig(config("prtmod=ip", good.port()));
    window.command.run();
    QCOMPARE(window.messages.value(1), QStringLiteral("打印成功"));
    QTRY_COMPARE(good.finished(), 1);
    QCOMPARE(good.jobs().value(0), NetworkJob);
}

void TestPrintCommand::connectionBrokenMidJobIsReported()
{
    LocalPrinter deaf(LocalPrinter::NeverReads);
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", deaf.port()));
    PlayedWindow window(folder.environment());
    // Larger than what the system buffers on loopback (some MB), so that part
    // of the job is still waiting in the socket when the printer goes.
    window.text = QString(1400000, QChar(0x4E2D));
    // As soon as the first part of the job has left, the printer hangs up.
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (auto *socket = window.winsock.findChild<QTcpSocket *>()) {
            watch.stop();
            connect(socket, &QTcpSocket::bytesWritten, this, [&] { deaf.hangUp(); }, Qt::SingleShotConnection);
        }
    });
    watch.start(0);
    window.command.run();

    QCOMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages[0].startsWith(QStringLiteral("标签没有完整送达打印机 127.0.0.1:%1").arg(deaf.port())),
             qPrintable(window.messages[0]));
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
}

void TestPrintCommand::missingDeviceIsNotCreated()
{
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=lpt1", 9100));
    PlayedWindow window(folder.environment());
    window.command.run();

    QCOMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages[0].startsWith(QStringLiteral("找不到并口设备 %1").arg(folder.device())),
             qPrintable(window.messages[0]));
    QVERIFY(!QFile::exists(folder.device()));
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
}

void TestPrintCommand::deviceWithoutReaderIsNotReady()
{
    ProgramFolder folder;
    QCOMPARE(::mkfifo(qPrintable(folder.device()), 0600), 0);
    folder.writeConfig(config("prtmod=lpt1", 9100));
    PlayedWindow window(folder.environment());

    QElapsedTimer clock;
    clock.start();
    window.command.run();
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(window.messages.size(), 1);
    QVERIFY2(window.messages[0].startsWith(QStringLiteral("并口设备 %1 未就绪").arg(folder.device())),
             qPrintable(window.messages[0]));
}

void TestPrintCommand::stuckDeviceTimesOutWhileWindowStaysResponsive()
{
    ProgramFolder folder;
    QCOMPARE(::mkfifo(qPrintable(folder.device()), 0600), 0);
    // A reader that never reads, and a pipe already full: the printer is stuck.
    const int reader = ::open(qPrintable(folder.device()), O_RDONLY | O_NONBLOCK);
    const int filler = ::open(qPrintable(folder.device()), O_WRONLY | O_NONBLOCK);
    QVERIFY(reader >= 0 && filler >= 0);
    const QByteArray chunk(4096, 'x');
    while (::write(filler, chunk.constData(), size_t(chunk.size())) > 0) {
    }
    folder.writeConfig(config("prtmod=lpt1", 9100));
    PlayedWindow window(folder.environment(400));

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    window.command.run();
    const qint64 elapsed = clock.elapsed();
    ::close(filler);
    ::close(reader);

    QVERIFY2(elapsed >= 400 && elapsed < 2000, qPrintable(QString::number(elapsed)));
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks))); // events ran during the wait
    QCOMPARE(window.messages, QStringList{Messages::DeviceWriteTimedOut(folder.device(), 1)});
}

void TestPrintCommand::deviceReadThroughFifo()
{
    ProgramFolder folder;
    QCOMPARE(::mkfifo(qPrintable(folder.device()), 0600), 0);
    const int reader = ::open(qPrintable(folder.device()), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    folder.writeConfig(config("prtmod=lpt1", 9100));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");
    window.command.run();

    char buffer[512];
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(QByteArray(buffer, int(qMax<ssize_t>(n, 0))), ParallelJob);
}

void TestPrintCommand::textTypedDuringWaitIsPrinted()
{
    LocalPrinter printer;
    ProgramFolder folder;
    folder.createDevice();
    folder.writeConfig(config("prtmod=ip", printer.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("old");
    QTimer::singleShot(3, &window, [&] { window.text = QStringLiteral("ab12"); });
    window.command.run();

    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs().value(0), NetworkJob);
    QCOMPARE(window.job, QString::fromLatin1(NetworkJob));
}

void TestPrintCommand::secondPrintRightAfterFirst()
{
    LocalPrinter printer;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", printer.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");
    window.command.run();
    window.command.run();

    QCOMPARE(window.messages, (QStringList{QStringLiteral("打印成功"), QStringLiteral("打印成功")}));
    QTRY_COMPARE(printer.finished(), 2);
    QCOMPARE(printer.jobs(), (QList<QByteArray>{NetworkJob, NetworkJob}));
}

void TestPrintCommand::clickDuringWaitIsIgnored()
{
    LocalPrinter printer;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", printer.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");
    bool wasRunning = false;
    QTimer::singleShot(2, &window, [&] {
        wasRunning = window.command.isRunning();
        window.command.run();
    });
    window.command.run();

    QVERIFY(wasRunning);
    QCOMPARE(window.messages, QStringList{QStringLiteral("打印成功")});
    QTRY_COMPARE(printer.finished(), 1);
    QTest::qWait(20);
    QCOMPARE(printer.jobs(), QList<QByteArray>{NetworkJob});
}

void TestPrintCommand::closingWindowDuringFirstWaitSendsNothing()
{
    LocalPrinter printer;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", printer.port()));
    PlayedWindow window(folder.environment());
    window.text = QStringLiteral("ab12");
    QTimer::singleShot(2, &window, [&] { window.open = false; });
    window.command.run();

    QCOMPARE(window.messages, QStringList());
    QCOMPARE(window.winsock.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(printer.finished(), printer.connections());
    for (const QByteArray &job : printer.jobs())
        QCOMPARE(job, QByteArray());
    QVERIFY(!window.command.isRunning());
}

void TestPrintCommand::destroyingWindowDuringWaitsIsSafe_data()
{
    QTest::addColumn<bool>("afterSend");
    QTest::newRow("during the first wait, as the printer accepts") << false;
    QTest::newRow("during the second wait, as the job arrives") << true;
}

void TestPrintCommand::destroyingWindowDuringWaitsIsSafe()
{
    QFETCH(bool, afterSend);

    LocalPrinter printer;
    ProgramFolder folder;
    folder.writeConfig(config("prtmod=ip", printer.port()));
    auto *window = new PlayedWindow(folder.environment());
    window->text = QStringLiteral("ab12");
    QPointer<PlayedWindow> watch = window;
    const auto destroy = [&] { delete watch.data(); };
    if (afterSend)
        connect(&printer, &LocalPrinter::bytesReceived, this, destroy, Qt::SingleShotConnection);
    else
        connect(&printer, &LocalPrinter::connectionAccepted, this, destroy, Qt::SingleShotConnection);
    window->command.run();

    QVERIFY(!watch);
    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs().value(0), afterSend ? NetworkJob : QByteArray());
}

QTEST_GUILESS_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
