#include "ParallelPort.h"

#include "Messages.h"
#include "Platform.h"
#include "PrintError.h"
#include "SystemErrors.h"
#include "modMain.h"

#include <QElapsedTimer>

namespace ParallelPort {
namespace {

// What failed, with its likely cause, for opening (`writing` false) and
// writing alike.
PrintError deviceFailure(const QString &device, const platform::DeviceError &error, bool writing)
{
    const QString detail = SystemErrors::Detail(error);
    switch (error.kind) {
    case platform::DeviceError::NotFound:
        return PrintError(Messages::DeviceMissing(device, detail));
    case platform::DeviceError::AccessDenied:
        return PrintError(platform::DeviceAccessByGroup()
                              ? Messages::DeviceAccessDeniedGroup(device, qEnvironmentVariable("USER"), detail)
                              : Messages::DeviceAccessDenied(device, detail));
    case platform::DeviceError::PaperOut:
        return PrintError(Messages::DevicePaperOut(device, detail));
    case platform::DeviceError::Busy:
        return PrintError(Messages::DeviceBusy(device, detail));
    case platform::DeviceError::NotReady:
        return PrintError(Messages::DeviceNotReady(device, detail));
    case platform::DeviceError::Closed:
        return PrintError(Messages::DeviceGone(device, detail));
    default:
        return PrintError(writing ? Messages::DeviceWriteFailed(device, detail)
                                  : Messages::DeviceOpenFailed(device, detail));
    }
}

// Writes all of `data`, or throws. The device stays open for the caller to close.
void writeAll(platform::DeviceHandle handle, const QString &device, const QByteArray &data,
              int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype done = 0;
    while (done < data.size()) {
        std::size_t written = 0;
        platform::DeviceError error;
        const auto status = platform::WriteDevice(handle, data.constData() + done,
                                                  std::size_t(data.size() - done), written, error);
        if (status == platform::WriteStatus::Failed)
            throw deviceFailure(device, error, true);
        done += qsizetype(written);
        if (done < data.size()) {
            if (clock.elapsed() >= timeoutMs)
                throw PrintError(Messages::DeviceWriteTimedOut(device, (timeoutMs + 999) / 1000));
            if (written == 0)
                modMain::PumpWait(1);
        }
    }
}

} // namespace

void Write(const QString &device, const QByteArray &data, int timeoutMs)
{
    platform::DeviceError error;
    const platform::DeviceHandle handle = platform::OpenDevice(device.toLocal8Bit().constData(), error);
    if (handle == platform::NoDevice)
        throw deviceFailure(device, error, false);

    try {
        writeAll(handle, device, data, timeoutMs);
    } catch (const PrintError &) {
        platform::DeviceError ignored;
        platform::CloseDevice(handle, ignored); // the write's failure is the one to report
        throw;
    }
    if (!platform::CloseDevice(handle, error))
        throw PrintError(Messages::DeviceCloseFailed(device, SystemErrors::Detail(error)));
}

} // namespace ParallelPort
