#pragma once

#include <QString>

#include "Winsock.h"

#include <memory>

class QObject;

// What the main window lends the print command: its text box, its socket,
// its last network job and its message box.
class PrintSurface
{
public:
    // The object whose destruction takes the window (and its socket) away.
    virtual QObject *surfaceObject() = 0;
    // False once the user has closed the window.
    virtual bool isOpen() const = 0;
    virtual QString currentText() const = 0;
    virtual Winsock &socket() = 0;
    virtual QString &netJob() = 0;
    // A modal box with the text, the program's title and one button; returns
    // when the user dismisses it (or the window goes away meanwhile).
    virtual void showMessage(const QString &text) = 0;

protected:
    ~PrintSurface() = default;
};

// Where the print command finds its settings and its printer device, and how
// long it waits for a slow printer.
struct PrintEnvironment
{
    QString programFolder;  // holds Config.ini
    QString printerDevice;  // empty: the system's parallel or USB printer, looked up at each print
    int deviceTimeoutMs = 10000;  // for the device to take the job
    int connectTimeoutMs = 5000;  // for a slow network printer to answer, at each of its addresses
    int deliveryTimeoutMs = 3000; // for it to acknowledge the whole job
    Winsock::Resolver resolve;    // none: the system's resolver

    // The running program's folder and the system's printer device.
    static PrintEnvironment system();
};

// The click of "打印": reads Config.ini afresh, composes the label job from
// the window's text and sends it over the link that prtmod names, reporting
// in the window's message box. Every failure ends up in one handler that
// closes the socket and shows what happened.
class PrintCommand
{
public:
    explicit PrintCommand(PrintSurface &surface, PrintEnvironment environment = PrintEnvironment::system());

    // Runs one print request. A call while a request waits for the network
    // (a second click) is ignored. If the window is closed during a wait, the
    // request ends quietly with its socket closed (a job already sent still
    // goes out).
    void run();

    bool isRunning() const { return *m_running; }

private:
    PrintSurface &m_surface;
    PrintEnvironment m_environment;
    // Shared with the running request, which may outlive this command.
    std::shared_ptr<bool> m_running = std::make_shared<bool>(false);
};
