#include "Forms.h"

#include "Form1.h"
#include "Form2.h"

Forms::Forms(PrintEnvironment environment, QObject *parent)
    : QObject(parent), m_environment(std::move(environment))
{
}

Forms::~Forms()
{
    delete m_form2.data();
    delete m_form1.data();
}

Form1 *Forms::form1() const
{
    return m_form1;
}

Form2 *Forms::form2() const
{
    return m_form2;
}

Form1 *Forms::showForm1()
{
    if (!m_form1)
        m_form1 = new Form1(*this, m_environment);
    m_form1->show();
    m_form1->raise();
    m_form1->activateWindow();
    return m_form1;
}

Form2 *Forms::showForm2()
{
    if (!m_form2)
        m_form2 = new Form2(*this);
    m_form2->show();
    m_form2->raise();
    m_form2->activateWindow();
    return m_form2;
}

void Forms::returnToForm1()
{
    // Qt quits on the last window closing only once the events in hand have
    // run, and by then the main window is up again.
    if (m_form2)
        m_form2->close();
    showForm1();
}
