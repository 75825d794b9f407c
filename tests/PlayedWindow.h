#pragma once

// The test's stand-in for the main window: a text, a socket, the last network
// job and a message box that records what it was asked to show.

#include "PrintCommand.h"
#include "Winsock.h"

#include <QObject>
#include <QStringList>

#include <functional>

class PlayedWindow : public QObject, public PrintSurface
{
    Q_OBJECT

public:
    explicit PlayedWindow(const PrintEnvironment &environment, QObject *parent = nullptr)
        : QObject(parent), command(*this, environment)
    {
    }

    QObject *surfaceObject() override { return this; }
    bool isOpen() const override { return open; }
    QString currentText() const override { return text; }
    Winsock &socket() override { return winsock; }
    QString &netJob() override { return job; }
    void showMessage(const QString &message) override;

    QString text;
    bool open = true;
    QStringList messages;
    bool openWhileShown = false; // a connection was still open or pending when a message showed
    Winsock winsock{this};
    QString job;
    PrintCommand command;
    std::function<void()> whileMessageShows; // runs while the box would be up
};
