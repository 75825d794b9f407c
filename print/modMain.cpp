#include "modMain.h"

#include <QCoreApplication>
#include <QThread>

namespace modMain {

void PumpWait(qint32 count)
{
    for (qint32 i = 1; i <= count; ++i) {
        QThread::msleep(1);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

} // namespace modMain
