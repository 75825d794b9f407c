#include "Forms.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::Prepare(app);
    Forms forms;
    forms.showForm1();
    return app.exec();
}
