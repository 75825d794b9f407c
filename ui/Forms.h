#pragma once

#include "PrintCommand.h"

#include <QObject>
#include <QPointer>

class Form1;
class Form2;

// The program's two windows, at most one of each, created when first needed
// and again after the user closed them. Neither has an owner: each is a
// window of its own, and the program ends when the last one closes.
class Forms : public QObject
{
    Q_OBJECT

public:
    explicit Forms(PrintEnvironment environment = PrintEnvironment::system(), QObject *parent = nullptr);
    ~Forms() override;

    Form1 *form1() const;
    Form2 *form2() const;

    // Shows the main window and brings it forward; a new one, with an empty
    // text box, if the user has closed it.
    Form1 *showForm1();
    // Shows the instructions window, not modally, and brings it forward;
    // loads it first if it is not open.
    Form2 *showForm2();
    // The instructions window's "返回": unloads it, then shows the main window.
    void returnToForm1();

private:
    PrintEnvironment m_environment;
    QPointer<Form1> m_form1;
    QPointer<Form2> m_form2;
};
