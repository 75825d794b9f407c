#pragma once

#include <QString>

#include <memory>

class QObject;
class Winsock;

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
    // when the user dismisses it.
    virtual void showMessage(const QString &text) = 0;

protected:
    ~PrintSurface() = default;
};

// Where the print command finds its settings and its parallel port.
struct PrintEnvironment
{
    QString programFolder;  // holds Config.ini
    QString parallelDevice; // the first parallel port
    int deviceTimeoutMs = 10000;

    // The running program's folder and the system's first parallel port.
    static PrintEnvironment system();
};

// The click of "打印": reads Config.ini afresh, composes the label job from
// the window's text and sends it over the link that prtmod names, reporting
// in the window's message box. Every failure ends up in one handler that
// shows its description and closes the socket.
class PrintCommand
{
public:
    explicit PrintCommand(PrintSurface &surface, PrintEnvironment environment = PrintEnvironment::system());

    // Runs one print request. A call while a request waits for the network
    // (a second click) is ignored. If the window is closed during a wait, the
    // request ends quietly with its socket closed.
    void run();

    bool isRunning() const { return *m_running; }

private:
    PrintSurface &m_surface;
    PrintEnvironment m_environment;
    // Shared with the running request, which may outlive this command.
    std::shared_ptr<bool> m_running = std::make_shared<bool>(false);
};
