#pragma once

#include "PrintCommand.h"
#include "Winsock.h"

#include <QWidget>

class Forms;
class QLabel;
class QLineEdit;
class QPushButton;

// The main window: the prompt, the text box, "说明" and "打印", and the
// socket that network prints use. Lends the print command its text, socket,
// last network job and message box.
class Form1 : public QWidget, public PrintSurface
{
    Q_OBJECT

public:
    explicit Form1(Forms &forms, const PrintEnvironment &environment = PrintEnvironment::system(),
                   QWidget *parent = nullptr);

    QObject *surfaceObject() override { return this; }
    bool isOpen() const override { return !m_closed; }
    QString currentText() const override;
    Winsock &socket() override { return *Winsock1; }
    QString &netJob() override { return NetJob; }
    void showMessage(const QString &text) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void printLabel();
    void showInstructions();

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    Winsock *Winsock1 = nullptr;
    QString NetJob; // the job of the latest network print

    Forms &m_forms;
    PrintCommand m_print;
    bool m_closed = false;
};
