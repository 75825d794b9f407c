#pragma once

#include <QWidget>

class Forms;
class QLabel;
class QPushButton;

// The instructions window: a fixed paragraph on what the program is for and
// how to choose the link in Config.ini, and "返回" to the main window.
// Closing it in any way discards it; the next opening loads it afresh.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(Forms &forms, QWidget *parent = nullptr);

private:
    void Form_Load();

    QPushButton *Command1 = nullptr;
    QLabel *Label1 = nullptr;
    Forms &m_forms;
};
