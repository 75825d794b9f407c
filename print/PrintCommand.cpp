#include "PrintCommand.h"

#include "LabelJob.h"
#include "Messages.h"
#include "ParallelPort.h"
#include "Platform.h"
#include "PrintError.h"
#include "SettingsFile.h"
#include "Winsock.h"
#include "modINI.h"
#include "modMain.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScopeGuard>

namespace {

constexpr qint32 ValueSize = 65536;

QString readSetting(const PrintEnvironment &environment, const char *section, const char *key)
{
    return modINI::ReadIniValue(QLatin1String(section), QLatin1String(key),
                                SettingsFile::Path(environment.programFolder), QString(), ValueSize);
}

// Only spaces go, as the address is written, not tabs or line breaks.
QString withoutSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// The printer's port: an integer with optional blanks and sign around it,
// 1 to 65535. Anything else stops the request before anything is sent.
qint32 portNumber(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 1 || value > 65535)
        throw PrintError(Messages::InvalidPort(text));
    return qint32(value);
}

// The device named in Config.ini, else the one the environment gives, else
// the system's parallel or USB printer as it is now.
QString printerDevice(const PrintEnvironment &environment)
{
    const QString named = withoutSpaces(readSetting(environment, "prtmod", "device"));
    if (!named.isEmpty())
        return named;
    if (!environment.printerDevice.isEmpty())
        return environment.printerDevice;
    return QString::fromLocal8Bit(platform::DefaultPrinterDevice().c_str());
}

} // namespace

PrintEnvironment PrintEnvironment::system()
{
    PrintEnvironment environment;
    environment.programFolder = QCoreApplication::applicationDirPath();
    return environment;
}

PrintCommand::PrintCommand(PrintSurface &surface, PrintEnvironment environment)
    : m_surface(surface), m_environment(std::move(environment))
{
    // A printer device (a pipe) whose reader leaves must fail the write, not end the program.
    platform::IgnoreBrokenPipe();
}

void PrintCommand::run()
{
    if (*m_running)
        return;
    *m_running = true;
    // Shared, so that it is cleared even when this command is gone by then.
    const std::shared_ptr<bool> running = m_running;
    const auto done = qScopeGuard([running] { *running = false; });

    // The waits below dispatch events, and one of them may close or even
    // destroy the window and with it this command. From here on only locals
    // are used, and the window only while `alive` says it still exists.
    PrintSurface &surface = m_surface;
    const PrintEnvironment environment = m_environment;
    const QPointer<QObject> alive = surface.surfaceObject();
    const auto windowGone = [&] { return !alive || !surface.isOpen(); };
    // The one handler for every failure: close the socket, so that nothing
    // of the request is left open, then tell the user.
    const auto fail = [&](const QString &description) {
        if (alive)
            surface.socket().Close(0);
        if (!windowGone())
            surface.showMessage(description);
    };

    try {
        const QString mode = readSetting(environment, "prtmod", "prtmod");
        const QString darkness = readSetting(environment, "prtmod", "darkness");
        const QString parallelJob = ComposeLabelJob(darkness, surface.currentText(), LabelVariant::Parallel);

        if (mode == QLatin1String("lpt1") || mode == QLatin1String("LPT1")) {
            ParallelPort::Write(printerDevice(environment), parallelJob.toLocal8Bit() + "\r\n",
                                environment.deviceTimeoutMs);
        } else if (mode == QLatin1String("ip") || mode == QLatin1String("IP")
                   || mode == QLatin1String("tcpip")) {
            Winsock &socket = surface.socket();
            socket.setRemoteHost(withoutSpaces(readSetting(environment, "network", "printerip")));
            socket.setRemotePort(portNumber(readSetting(environment, "network", "printerport")));
            socket.setLocalPort(0);
            socket.setTimeout(environment.connectTimeoutMs);
            socket.setResolver(environment.resolve);
            socket.Connect();
            modMain::PumpWait(10);
            // A printer on Wi-Fi, behind a VPN or named in DNS may take longer:
            // wait on in the same steps while it is still being reached (the
            // socket gives each of its addresses the time-out).
            while (alive && socket.isSettingUp())
                modMain::PumpWait(1);
            if (!alive)
                return; // the window took its socket with it
            if (windowGone()) {
                socket.Close(0);
                return;
            }
            surface.netJob() = ComposeLabelJob(darkness, surface.currentText(), LabelVariant::Network);
            socket.SendData(surface.netJob());
            modMain::PumpWait(5);
            if (!alive)
                return; // the job goes on without the window
            if (windowGone()) {
                socket.Close(0);
                return;
            }
            socket.Close(environment.deliveryTimeoutMs);
            if (!windowGone())
                surface.showMessage(Messages::PrintSucceeded());
        } else {
            surface.showMessage(Messages::UnknownMode());
        }
    } catch (const PrintError &error) {
        fail(error.description());
    } catch (const std::exception &error) {
        fail(Messages::Unexpected(QString::fromLocal8Bit(error.what())));
    }
}
