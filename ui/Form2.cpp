#include "Form2.h"

#include "Controls.h"
#include "Fonts.h"
#include "Forms.h"
#include "UiTexts.h"

#include <QLabel>
#include <QPushButton>

Form2::Form2(Forms &forms, QWidget *parent) : QWidget(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(UiTexts::Form2Caption());
    setFixedSize(FromTwips(0, 0, 4680, 3195).size());
    setFont(Fonts::Make(UiTexts::SerifFamily(), false, 12));

    // Created in tab order; the back button holds the focus.
    Label1 = Place(new QLabel(UiTexts::InstructionsPlaceholder(), this), "Label1",
                   FromTwips(240, 360, 4215, 2175), Fonts::Make(UiTexts::SansFamily(), false, 12));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command1 = Place(new QPushButton(UiTexts::BackButton(), this), "Command1",
                     FromTwips(3480, 2640, 975, 495), Fonts::Make(UiTexts::SansFamily(), true, 12));
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, &m_forms, &Forms::returnToForm1);
    Form_Load();
}

void Form2::Form_Load()
{
    Label1->setText(UiTexts::Instructions());
}
