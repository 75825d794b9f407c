#include "Delivery.h"
#include "Forms.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup::Prepare(app);
    Forms forms;
    forms.showForm1();
    const int status = app.exec();
    // A job still on its way to a printer is not cut off, within reason.
    Delivery::FinishAll(5000);
    return status;
}
