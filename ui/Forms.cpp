#include "Forms.h"

#include "Form1.h"
#include "Form2.h"

namespace {

template <typename Window>
Window *bringForward(Window *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace

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
    return bringForward(m_form1.data());
}

Form2 *Forms::showForm2()
{
    if (!m_form2)
        m_form2 = new Form2(*this);
    return bringForward(m_form2.data());
}

void Forms::returnToForm1()
{
    // Qt quits on the last window closing only once the events in hand have
    // run, and by then the main window is up again.
    if (m_form2)
        m_form2->close();
    showForm1();
}
