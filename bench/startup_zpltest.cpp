// zpltest's own start, up to its main window's first paint.

#include "FirstPaint.h"
#include "Form1.h"
#include "Forms.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::Prepare(app);
    Forms forms;
    new FirstPaint(forms.showForm1());
    return app.exec();
}
