#include "Form1.h"

#include "Controls.h"
#include "Fonts.h"
#include "Forms.h"
#include "Messages.h"
#include "UiTexts.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <limits>

namespace {

constexpr int MessageMinimumWidth = 240;

} // namespace

Form1::Form1(Forms &forms, const PrintEnvironment &environment, QWidget *parent)
    : QWidget(parent), m_forms(forms), m_print(*this, environment)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(UiTexts::Form1Caption());
    setFixedSize(FromTwips(0, 0, 4680, 3195).size());
    const QFont large = Fonts::Make(UiTexts::SansFamily(), true, 24);
    const QFont button = Fonts::Make(UiTexts::SansFamily(), true, 14.25);

    // Created in tab order: the print button first, which holds the focus.
    Command1 = Place(new QPushButton(UiTexts::PrintButton(), this), "Command1",
                     FromTwips(3120, 2400, 1455, 615), button);
    Text1 = Place(new QLineEdit(this), "Text1", FromTwips(120, 960, 4455, 855), large);
    Text1->setMaxLength(std::numeric_limits<int>::max()); // no limit of its own, not Qt's 32767
    Label1 = Place(new QLabel(UiTexts::PromptLabel(), this), "Label1", FromTwips(120, 120, 3015, 615), large);
    Label1->setTextFormat(Qt::PlainText);
    Command2 = Place(new QPushButton(UiTexts::HelpButton(), this), "Command2",
                     FromTwips(1560, 2400, 1335, 615), button);

    Winsock1 = new Winsock(this);
    Winsock1->setObjectName(QStringLiteral("Winsock1"));

    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Form1::printLabel);
    connect(Command2, &QPushButton::clicked, this, &Form1::showInstructions);
}

QString Form1::currentText() const
{
    return Text1->text();
}

void Form1::showMessage(const QString &text)
{
    // On the heap: if this window is deleted while the box is up (by code,
    // or the platform quitting), it takes the box with it, and exec() returns.
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, Messages::AppTitle(), text, QMessageBox::NoButton, this);
    QPushButton *ok = box->addButton(Messages::OkButton(), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->setWindowModality(Qt::ApplicationModal);
    // Wide enough for its caption, which a short message would otherwise cut.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout())) {
        grid->addItem(new QSpacerItem(MessageMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box->exec();
    delete box.data();
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_closed = true;
    QWidget::closeEvent(event);
}

void Form1::printLabel()
{
    m_print.run();
}

void Form1::showInstructions()
{
    m_forms.showForm2();
}
