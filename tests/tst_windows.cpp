// The two windows, driven as a user would: real widgets offscreen, real
// clicks and keys, a real TCP printer on 127.0.0.1 and message boxes that the
// test reads and answers.

#include "Form1.h"
#include "Form2.h"
#include "Forms.h"
#include "LocalPrinter.h"
#include "Messages.h"
#include "Startup.h"
#include "UiTexts.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Watches for the next modal message box while it lives, records what the box
// shows and presses its first button, as the user would.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer()
    {
        connect(&m_poll, &QTimer::timeout, this, &BoxAnswerer::check);
        m_poll.start(5);
    }

    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;

private:
    void check()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_poll.stop();
        seen = true;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
    }

    QTimer m_poll;
};

template <typename T>
T *child(QWidget *window, const char *name)
{
    T *widget = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!widget)
        qFatal("no %s in the window", name);
    return widget;
}

// Exit code of a loop that the steps ended themselves, not the window count.
constexpr int StillRunning = 7;
constexpr int TimedOut = 9;

// Runs the application's event loop, taking one step every 100 ms; gives the
// loop's exit code, TimedOut if it is still running long after the last step.
int runInApplicationLoop(const QList<std::function<void()>> &steps)
{
    QObject context;
    int delay = 100;
    for (const auto &step : steps) {
        QTimer::singleShot(delay, &context, step);
        delay += 100;
    }
    QTimer::singleShot(delay + 3000, &context, [] { QCoreApplication::exit(TimedOut); });
    return QApplication::exec();
}

int openForms(const QString &name)
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->objectName() == name && widget->isVisible();
    return count;
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowsAsDesigned_data();
    void windowsAsDesigned();
    void controlsAsDesigned_data();
    void controlsAsDesigned();
    void tabOrderAndFocus();
    void helpTwiceGivesOneInstructionsWindow();
    void textSurvivesInstructions();
    void backAfterClosingMainGivesFreshMain();
    void instructionsAfterReopening();
    void closingInstructionsLeavesMain();
    void printsFromWindow();
    void failureShowsInMessageBox();
    void typingDuringNetworkWaitIsPrinted();
    void longTextFromWindow_data();
    void longTextFromWindow();
    void closingMainDuringNetworkWait_data();
    void closingMainDuringNetworkWait();
    void programEndsWithLastWindow();

private:
    Form1 *openMain();
    void writeConfig(quint16 port, const QByteArray &mode = "ip");

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Forms> m_forms;
};

void TestWindows::initTestCase()
{
    Startup::Prepare(*qobject_cast<QApplication *>(QCoreApplication::instance()));
}

void TestWindows::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_forms = std::make_unique<Forms>(PrintEnvironment{m_folder->path(), m_folder->filePath("lp0"), 300});
}

void TestWindows::cleanup()
{
    m_forms.reset();
    m_folder.reset();
}

Form1 *TestWindows::openMain()
{
    Form1 *form = m_forms->showForm1();
    if (!QTest::qWaitForWindowExposed(form))
        qFatal("the main window did not show");
    return form;
}

void TestWindows::writeConfig(quint16 port, const QByteArray &mode)
{
    QFile file(m_folder->filePath("Config.ini"));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write Config.ini");
    file.write("[prtmod]\r\nprtmod=" + mode + ";\r\ndarkness=15\r\n[network]\r\nprinterip=127.0.0.1\r\nprinterport="
               + QByteArray::number(port) + "\r\n");
}

void TestWindows::windowsAsDesigned_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::newRow("main window") << "Form1" << UiTexts::Form1Caption();
    QTest::newRow("instructions window") << "Form2" << UiTexts::Form2Caption();
}

void TestWindows::windowsAsDesigned()
{
    QFETCH(QString, form);
    QFETCH(QString, caption);
    QWidget *window = form == QLatin1String("Form1") ? static_cast<QWidget *>(openMain())
                                                    : m_forms->showForm2();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->objectName(), form);
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(window->size(), QSize(312, 213));
    QVERIFY(!window->parentWidget());
    QVERIFY(!window->isModal());
    if (form == QLatin1String("Form2")) {
        QCOMPARE(window->font().family(), UiTexts::SerifFamily());
        QCOMPARE(window->font().weight(), QFont::Normal);
        QCOMPARE(window->font().pointSizeF(), 12.0);
    }
}

void TestWindows::controlsAsDesigned_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<qreal>("points");

    QTest::newRow("main prompt") << "Form1" << "Label1" << "QLabel" << UiTexts::PromptLabel()
                                 << QRect(8, 8, 201, 41) << true << 24.0;
    QTest::newRow("main text box") << "Form1" << "Text1" << "QLineEdit" << QString()
                                   << QRect(8, 64, 297, 57) << true << 24.0;
    QTest::newRow("main help button") << "Form1" << "Command2" << "QPushButton" << UiTexts::HelpButton()
                                      << QRect(104, 160, 89, 41) << true << 14.25;
    QTest::newRow("main print button") << "Form1" << "Command1" << "QPushButton" << UiTexts::PrintButton()
                                       << QRect(208, 160, 97, 41) << true << 14.25;
    QTest::newRow("instructions back button") << "Form2" << "Command1" << "QPushButton" << UiTexts::BackButton()
                                              << QRect(232, 176, 65, 33) << true << 12.0;
    QTest::newRow("instructions text") << "Form2" << "Label1" << "QLabel" << UiTexts::Instructions()
                                       << QRect(16, 24, 281, 145) << false << 12.0;
}

void TestWindows::controlsAsDesigned()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(bool, bold);
    QFETCH(qreal, points);

    QWidget *window = form == QLatin1String("Form1") ? static_cast<QWidget *>(openMain())
                                                    : m_forms->showForm2();
    QWidget *control = child<QWidget>(window, qPrintable(name));
    QCOMPARE(control->metaObject()->className(), kind);
    QCOMPARE(control->geometry(), geometry);
    QString shown;
    if (auto *label = qobject_cast<QLabel *>(control))
        shown = label->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        shown = edit->text();
    else if (auto *button = qobject_cast<QPushButton *>(control)) {
        shown = button->text();
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
    QCOMPARE(shown, text);

    const QFont font = control->font();
    QCOMPARE(font.family(), UiTexts::SansFamily());
    QCOMPARE(font.weight(), bold ? QFont::Bold : QFont::Normal);
    QCOMPARE(font.pointSizeF(), points);
    // The font that really draws can write Chinese: no character shows as a box.
    const QString drawnBy = QFontInfo(font).family();
    QVERIFY2(QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(drawnBy), qPrintable(drawnBy));
    const QFontMetrics metrics(font);
    for (const QChar c : text + UiTexts::PromptLabel())
        QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("%1 in %2").arg(c).arg(drawnBy)));
}

void TestWindows::tabOrderAndFocus()
{
    Form1 *main = openMain();
    auto *print = child<QPushButton>(main, "Command1");
    QCOMPARE(main->focusWidget(), print);
    const QList<QWidget *> expected = {child<QWidget>(main, "Text1"), child<QWidget>(main, "Command2"), print};
    QWidget *at = print;
    for (QWidget *next : expected) {
        do
            at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus));
        QCOMPARE(at->objectName(), next->objectName());
    }

    Form2 *instructions = m_forms->showForm2();
    QCOMPARE(instructions->focusWidget(), child<QPushButton>(instructions, "Command1"));
    QCOMPARE(child<QLabel>(instructions, "Label1")->nextInFocusChain()->objectName(), QStringLiteral("Command1"));
}

void TestWindows::helpTwiceGivesOneInstructionsWindow()
{
    Form1 *main = openMain();
    auto *help = child<QPushButton>(main, "Command2");
    QTest::mouseClick(help, Qt::LeftButton);
    Form2 *first = m_forms->form2();
    QVERIFY(first);
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(m_forms->form2(), first);
    QCOMPARE(openForms("Form2"), 1);
    QVERIFY(main->isVisible()); // not modal: the main window stays
    QVERIFY(!first->isModal());
}

void TestWindows::textSurvivesInstructions()
{
    Form1 *main = openMain();
    auto *text = child<QLineEdit>(main, "Text1");
    QTest::keyClicks(text, "ab12");
    QTest::mouseClick(child<QPushButton>(main, "Command2"), Qt::LeftButton);
    QCOMPARE(text->text(), QStringLiteral("ab12"));
    m_forms->form2()->close();
    QTRY_VERIFY(!m_forms->form2());
    QCOMPARE(text->text(), QStringLiteral("ab12"));
}

void TestWindows::backAfterClosingMainGivesFreshMain()
{
    Form1 *main = openMain();
    QTest::keyClicks(child<QLineEdit>(main, "Text1"), "old text");
    QTest::mouseClick(child<QPushButton>(main, "Command2"), Qt::LeftButton);
    Form2 *instructions = m_forms->form2();

    // In the application's own loop, which ends by itself once no window is left.
    bool freshShown = false;
    const int code = runInApplicationLoop({
        [&] { main->close(); },
        [&] { QTest::mouseClick(child<QPushButton>(instructions, "Command1"), Qt::LeftButton); },
        [&] {
            Form1 *fresh = m_forms->form1();
            freshShown = fresh && fresh->isVisible() && !m_forms->form2()
                && child<QLineEdit>(fresh, "Text1")->text().isEmpty() && openForms("Form1") == 1;
            QCoreApplication::exit(StillRunning);
        },
    });
    QCOMPARE(code, StillRunning);
    QVERIFY(freshShown);
}

void TestWindows::instructionsAfterReopening()
{
    Form1 *main = openMain();
    auto *help = child<QPushButton>(main, "Command2");
    QTest::mouseClick(help, Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(m_forms->form2(), "Command1"), Qt::LeftButton);
    QTRY_VERIFY(!m_forms->form2());
    QCOMPARE(m_forms->form1(), main); // the same main window, brought forward
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(child<QLabel>(m_forms->form2(), "Label1")->text(), UiTexts::Instructions());
}

void TestWindows::closingInstructionsLeavesMain()
{
    Form1 *main = openMain();
    QTest::mouseClick(child<QPushButton>(main, "Command2"), Qt::LeftButton);
    m_forms->form2()->close();
    QTRY_VERIFY(!m_forms->form2());
    QCOMPARE(m_forms->form1(), main);
    QVERIFY(main->isVisible());
}

void TestWindows::programEndsWithLastWindow()
{
    Form1 *main = openMain();
    QTest::mouseClick(child<QPushButton>(main, "Command2"), Qt::LeftButton);
    bool runningWithInstructions = false;
    const int code = runInApplicationLoop({
        [&] { main->close(); },
        [&] {
            runningWithInstructions = !m_forms->form1() && m_forms->form2();
            m_forms->form2()->close();
        },
    });
    QVERIFY(runningWithInstructions);
    QCOMPARE(code, 0); // the loop ended by itself with the last window
}

void TestWindows::printsFromWindow()
{
    LocalPrinter printer;
    writeConfig(printer.port());
    Form1 *main = openMain();
    QTest::keyClicks(child<QLineEdit>(main, "Text1"), "ab12");

    BoxAnswerer box;
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    QVERIFY(box.seen);
    QCOMPARE(box.title, QStringLiteral("ZPL打印测试"));
    QCOMPARE(box.text, QStringLiteral("打印成功"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QStringList{QStringLiteral("确定")});
    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs().value(0),
             QByteArray("^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ2^XZ"));
}

void TestWindows::failureShowsInMessageBox()
{
    const quint16 port = LocalPrinter::freedPort();
    writeConfig(port);
    Form1 *main = openMain();

    BoxAnswerer box;
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    QVERIFY(box.seen);
    QCOMPARE(box.title, Messages::AppTitle());
    QVERIFY2(box.text.startsWith(QStringLiteral("无法把标签发送到打印机 127.0.0.1:%1：%2")
                                     .arg(port)
                                     .arg(Messages::CauseRefused())),
             qPrintable(box.text));
    QCOMPARE(box.buttons, QStringList{QStringLiteral("确定")});
    QCOMPARE(child<Winsock>(main, "Winsock1")->state(), QAbstractSocket::UnconnectedState);
}

void TestWindows::typingDuringNetworkWaitIsPrinted()
{
    LocalPrinter printer;
    writeConfig(printer.port());
    Form1 *main = openMain();
    auto *text = child<QLineEdit>(main, "Text1");
    QTest::keyClicks(text, "a");
    // Typed while the print waits for the connection, as a user could.
    connect(&printer, &LocalPrinter::connectionAccepted, this, [text] { QTest::keyClicks(text, "b12"); },
            Qt::SingleShotConnection);

    BoxAnswerer box;
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    QCOMPARE(box.text, QStringLiteral("打印成功"));
    QTRY_COMPARE(printer.finished(), 1);
    QVERIFY2(printer.jobs().value(0).contains("^FDAB12^FS"), printer.jobs().value(0).constData());
}

void TestWindows::longTextFromWindow_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::newRow("parallel") << QByteArray("lpt1");
    QTest::newRow("network") << QByteArray("ip");
}

void TestWindows::longTextFromWindow()
{
    QFETCH(QByteArray, mode);
    LocalPrinter printer;
    writeConfig(printer.port(), mode);
    QFile device(m_folder->filePath("lp0"));
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    Form1 *main = openMain();
    auto *text = child<QLineEdit>(main, "Text1");
    QString pasted;
    for (int i = 0; i < 64000; ++i)
        pasted += QChar(u"ab1中"[i % 4]);
    text->setText(pasted); // as a paste would
    QCOMPARE(text->text().size(), 64000);

    BoxAnswerer box;
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    const QByteArray upper = pasted.toUpper().toUtf8();
    const QByteArray fields = "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,A" + upper + "^FS^FO160,50^A0,89,89^FD" + upper + "^FS";
    if (mode == "lpt1") {
        QVERIFY(!box.seen);
        QVERIFY(device.open(QIODevice::ReadOnly));
        QCOMPARE(device.readAll(), fields + "^PQ1^XZ\r\n");
    } else {
        QCOMPARE(box.text, QStringLiteral("打印成功"));
        QTRY_COMPARE(printer.finished(), 1);
        QCOMPARE(printer.jobs().value(0), fields + "^PQ2^XZ");
    }
}

void TestWindows::closingMainDuringNetworkWait_data()
{
    QTest::addColumn<bool>("afterSend");
    QTest::newRow("waiting for the connection") << false;
    QTest::newRow("waiting after the send") << true;
}

void TestWindows::closingMainDuringNetworkWait()
{
    QFETCH(bool, afterSend);
    LocalPrinter printer;
    writeConfig(printer.port());
    Form1 *main = openMain();
    QTest::keyClicks(child<QLineEdit>(main, "Text1"), "ab12");
    const QPointer<Form1> watch = main;
    const auto closeMain = [watch] {
        if (watch)
            watch->close();
    };
    if (afterSend)
        connect(&printer, &LocalPrinter::bytesReceived, this, closeMain, Qt::SingleShotConnection);
    else
        connect(&printer, &LocalPrinter::connectionAccepted, this, closeMain, Qt::SingleShotConnection);

    BoxAnswerer box;
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    QTRY_VERIFY(!watch);
    QTest::qWait(50);
    QVERIFY(!box.seen); // nobody is left to tell
    QTRY_COMPARE(printer.finished(), 1);
    QCOMPARE(printer.jobs().value(0).isEmpty(), !afterSend);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
