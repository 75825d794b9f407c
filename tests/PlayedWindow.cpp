#include "PlayedWindow.h"

void PlayedWindow::showMessage(const QString &message)
{
    messages << message;
    openWhileShown = openWhileShown || winsock.state() != QAbstractSocket::UnconnectedState;
    if (whileMessageShows)
        whileMessageShows();
}
