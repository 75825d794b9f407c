// The two windows, driven as a user would: real widgets offscreen, real
// clicks and keys, a real TCP printer on 127.0.0.1 and message boxes that the
// test reads and answers.

#include "Form1.h"
#include "Form2.h"
#include "Forms.h"
#include "LabelJob.h"
#include "LocalPrinter.h"
#include "Startup.h"
#include "TestFiles.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString InstructionsText = QStringLiteral(
    "该程序是测试用斑马ZPL语言打印机的并口和网口测试程序。不用安装驱动。更改打印方式，请修改CONFIG.INI文件的"
    "prtmod=lpt1;或者prtmod=ip;别的参数切勿测试。请设置好打印机IP和端口后，在配置文件处修改。");

// Watches for the next modal message box while it lives, records what the box
// shows and presses its first button, as the user would; or runs `instead`.
struct BoxAnswerer
{
    explicit BoxAnswerer(const std::function<void()> &instead = {})
    {
        QObject::connect(&poll, &QTimer::timeout, [this, instead] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            seen = true;
            title = box->windowTitle(), text = box->text(), icon = box->icon();
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            instead ? instead() : QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        });
        poll.start(5);
    }

    QTimer poll;
    bool seen = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

template <typename T>
T *child(QWidget *window, const char *name)
{
    T *widget = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!widget)
        qFatal("no %s in the window", name);
    return widget;
}

constexpr int StillRunning = 7;

struct PrintRow
{
    QByteArray mode;
    bool listening;
    QString typed, typedInWait;     // pasted before the click, typed while it connects
    QString box;                    // pattern of the box's text; "" for none
    bool deleteDuringBox = false;
};

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Startup::Prepare(*qobject_cast<QApplication *>(QCoreApplication::instance())); }
    void init()
    {
        m_folder = std::make_unique<testfiles::ProgramFolder>();
        m_forms = std::make_unique<Forms>(m_folder->environment());
    }
    void cleanup() { m_forms.reset(), m_folder.reset(); }

    void controlsShowTheirTexts_data();
    void controlsShowTheirTexts();
    void lifecycle_data();
    void lifecycle();
    void printFromWindow_data();
    void printFromWindow();

private:
    Form1 *openMain();

    std::unique_ptr<testfiles::ProgramFolder> m_folder;
    std::unique_ptr<Forms> m_forms;
};

Form1 *TestWindows::openMain()
{
    Form1 *form = m_forms->showForm1();
    if (!QTest::qWaitForWindowExposed(form))
        qFatal("the main window did not show");
    return form;
}

void TestWindows::controlsShowTheirTexts_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("main caption") << "Form1" << "" << "Form1";
    QTest::newRow("prompt") << "Form1" << "Label1" << "打印内容：";
    QTest::newRow("print button") << "Form1" << "Command1" << "打印";
    QTest::newRow("help button") << "Form1" << "Command2" << "说明";
    QTest::newRow("text box, empty") << "Form1" << "Text1" << "";
    QTest::newRow("instructions caption") << "Form2" << "" << "Form2";
    QTest::newRow("instructions") << "Form2" << "Label1" << InstructionsText;
    QTest::newRow("back button") << "Form2" << "Command1" << "返回";
}

void TestWindows::controlsShowTheirTexts()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QWidget *form = window == QLatin1String("Form1") ? static_cast<QWidget *>(openMain()) : m_forms->showForm2();
    QWidget *widget = control.isEmpty() ? form : child<QWidget>(form, qPrintable(control));
    QCOMPARE(widget->property(control.isEmpty() ? "windowTitle" : "text").toString(), text);
    if (control.isEmpty()) // the window's caption, drawn by the system
        return;
    // Enter in the text box must not print, nor close anything.
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QVERIFY(!button->isDefault() && !button->autoDefault());
    // The font that really draws can write Chinese: no character shows as a box.
    const QString drawnBy = QFontInfo(widget->font()).family();
    QVERIFY2(QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(drawnBy), qPrintable(drawnBy));
    const QFontMetrics metrics(widget->font());
    for (const QChar c : text + QStringLiteral("打印内容"))
        QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("%1 in %2").arg(c).arg(drawnBy)));
}

// Steps a user takes, run in the application's own loop, which ends by itself
// once no window is left: type:TEXT, help, back, closeMain, closeHelp.
void TestWindows::lifecycle_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("mainText");   // "-": no main window
    QTest::addColumn<int>("instructions");    // instruction windows open
    QTest::addColumn<bool>("ended");          // the program ended with its last window

    QTest::newRow("help twice gives one instructions window")
        << QStringList{"type:ab12", "help", "help"} << "ab12" << 1 << false;
    QTest::newRow("text stays through the instructions")
        << QStringList{"type:ab12", "help", "closeHelp"} << "ab12" << 0 << false;
    QTest::newRow("back brings the same main window") << QStringList{"type:ab12", "help", "back"} << "ab12" << 0
                                                      << false;
    QTest::newRow("instructions load afresh after back") << QStringList{"help", "back", "help"} << "" << 1 << false;
    QTest::newRow("closing the main window leaves the instructions")
        << QStringList{"type:x", "help", "closeMain"} << "-" << 1 << false;
    QTest::newRow("back after closing the main window gives a fresh one")
        << QStringList{"type:old", "help", "closeMain", "back"} << "" << 0 << false;
    QTest::newRow("the program ends with its last window")
        << QStringList{"help", "closeMain", "closeHelp"} << "-" << 0 << true;
}

void TestWindows::lifecycle()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, mainText);
    QFETCH(int, instructions);
    QFETCH(bool, ended);

    openMain();
    QObject context;
    int delay = 50;
    for (const QString &step : steps) {
        QTimer::singleShot(delay, &context, [this, step] {
            QWidget *form = step == "back" || step == "closeHelp" ? static_cast<QWidget *>(m_forms->form2())
                                                                  : m_forms->form1();
            if (step.startsWith("type:"))
                QTest::keyClicks(child<QLineEdit>(form, "Text1"), step.mid(5));
            else if (step.startsWith("close"))
                form->close();
            else // "help" in the main window, "back" in the instructions
                QTest::mouseClick(child<QPushButton>(form, step == "help" ? "Command2" : "Command1"), Qt::LeftButton);
        });
        delay += 50;
    }
    QTimer::singleShot(delay + 100, &context, [] { QCoreApplication::exit(StillRunning); });
    QCOMPARE(QApplication::exec(), ended ? 0 : StillRunning);

    Form1 *main = m_forms->form1();
    QCOMPARE(main ? child<QLineEdit>(main, "Text1")->text() : QStringLiteral("-"), mainText);
    int open = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("Form2") && widget->isVisible()) {
            ++open;
            QCOMPARE(child<QLabel>(widget, "Label1")->text(), InstructionsText);
        }
    }
    QCOMPARE(open, instructions);
}

void TestWindows::printFromWindow_data()
{
    QTest::addColumn<PrintRow>("row");
    const QString pasted = QStringLiteral("ab1中").repeated(16000);
    QTest::newRow("text typed while it connects") << PrintRow{"ip", true, "a", "b12", "打印成功"};
    QTest::newRow("64 000 characters, network") << PrintRow{"ip", true, pasted, "", "打印成功"};
    QTest::newRow("64 000 characters, parallel") << PrintRow{"lpt1", true, pasted, "", ""};
    QTest::newRow("printer refuses") << PrintRow{"ip", false, "ab12", "",
        "打印机 127\\.0\\.0\\.1:\\d+ 拒绝连接（请检查端口号，以及打印机是否开机）。\n系统信息：.+"};
    QTest::newRow("main window deleted while its box is up") << PrintRow{"ip", true, "ab12", "", "打印成功", true};
}

void TestWindows::printFromWindow()
{
    QFETCH(PrintRow, row);
    const auto &[mode, listening, typed, typedInWait, box, deleteDuringBox] = row;

    LocalPrinter printer;
    const quint16 port = listening ? printer.port() : LocalPrinter::freedPort();
    m_folder->writeConfig(testfiles::Config(mode + ";", port));
    m_folder->createDevice();
    Form1 *main = openMain();
    auto *text = child<QLineEdit>(main, "Text1");
    text->setText(typed); // as a paste would
    QCOMPARE(text->text(), typed);
    connect(&printer, &LocalPrinter::connectionAccepted, this, [&] { QTest::keyClicks(text, row.typedInWait); },
            Qt::SingleShotConnection);
    const QPointer<Form1> watch = main;

    BoxAnswerer answerer(deleteDuringBox ? std::function<void()>([&] { delete watch.data(); }) : nullptr);
    QTest::mouseClick(child<QPushButton>(main, "Command1"), Qt::LeftButton);

    QCOMPARE(answerer.seen, !box.isEmpty());
    if (answerer.seen) {
        QVERIFY2(QRegularExpression(QLatin1Char('^') + box + QLatin1Char('$')).match(answerer.text).hasMatch(),
                 qPrintable(answerer.text));
        QCOMPARE(answerer.title, QStringLiteral("ZPL打印测试"));
        QCOMPARE(answerer.icon, QMessageBox::NoIcon);
        QCOMPARE(answerer.buttons, QStringList{QStringLiteral("确定")});
    }
    QCOMPARE(bool(watch), !deleteDuringBox);
    if (!listening)
        return;
    const QString job = ComposeLabelJob(QStringLiteral("15"), typed + typedInWait,
                                        mode == "ip" ? LabelVariant::Network : LabelVariant::Parallel);
    if (mode == "ip") {
        QTRY_COMPARE(printer.finished(), 1);
        QCOMPARE(printer.jobs().value(0), job.toUtf8());
    } else {
        QCOMPARE(m_folder->deviceBytes(), job.toUtf8() + "\r\n");
    }
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
