#include "PlayedWindow.h"

void PlayedWindow::showMessage(const QString &message)
{
    messages << message;
    if (whileMessageShows)
        whileMessageShows();
}
