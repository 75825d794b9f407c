#include "Messages.h"

namespace Messages {
namespace {

// "What failed." and, below it, the system's words.
QString withDetail(const QString &sentence, const QString &detail)
{
    if (detail.isEmpty())
        return sentence;
    return QStringLiteral("%1\n系统信息：%2").arg(sentence, detail);
}

QString printer(const QString &host, qint32 port)
{
    return QStringLiteral("%1:%2").arg(host, QString::number(port));
}

} // namespace

QString AppTitle() { return QStringLiteral("ZPL打印测试"); }
QString OkButton() { return QStringLiteral("确定"); }
QString PrintSucceeded() { return QStringLiteral("打印成功"); }
QString UnknownMode() { return QStringLiteral("你没JJ！"); }

QString InvalidPort(const QString &value)
{
    return QStringLiteral("端口号无效：“%1”。Config.ini 中 [network] 的 printerport 应为 1 到 65535 之间的整数。")
        .arg(value);
}

QString EmptyHost()
{
    return QStringLiteral("打印机地址为空：请在 Config.ini 的 [network] 中填写 printerip。");
}

QString SocketBusy()
{
    return QStringLiteral("网络连接仍在使用中，无法开始新的连接。");
}

QString LocalPortUnusable(qint32 port, const QString &detail)
{
    return withDetail(QStringLiteral("本机端口 %1 无法使用。").arg(port), detail);
}

QString SendFailed(const QString &host, qint32 port, const QString &cause, const QString &detail)
{
    return withDetail(QStringLiteral("无法把标签发送到打印机 %1：%2。").arg(printer(host, port), cause),
                      detail);
}

QString NotConnectedInTime(const QString &host, qint32 port)
{
    return QStringLiteral("无法把标签发送到打印机 %1：连接未能及时建立（请检查打印机地址、端口和网络）。")
        .arg(printer(host, port));
}

QString SendIncomplete(const QString &host, qint32 port, const QString &detail)
{
    return withDetail(
        QStringLiteral("标签没有完整送达打印机 %1：连接在发送途中中断。").arg(printer(host, port)),
        detail);
}

QString DeviceMissing(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("找不到并口设备 %1（这台电脑可能没有并口，或并口驱动未加载）。").arg(device),
                      detail);
}

QString DeviceAccessDenied(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("没有权限写入并口设备 %1。").arg(device), detail);
}

QString DeviceNotReady(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("并口设备 %1 未就绪（请检查打印机是否开机、联机，以及打印线）。").arg(device),
                      detail);
}

QString DeviceOpenFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("无法打开并口设备 %1。").arg(device), detail);
}

QString DeviceWriteFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("写入并口设备 %1 失败，标签没有完整送出。").arg(device), detail);
}

QString DeviceWriteTimedOut(const QString &device, int seconds)
{
    return QStringLiteral("打印机在 %2 秒内没有接收并口 %1 上的数据，标签没有完整送出（请检查打印机是否联机、缺纸或卡纸）。")
        .arg(device, QString::number(seconds));
}

QString DeviceCloseFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("关闭并口设备 %1 时出错，标签可能没有完整送出。").arg(device), detail);
}

QString Unexpected(const QString &detail)
{
    return withDetail(QStringLiteral("打印时发生意外错误。"), detail);
}

QString CauseRefused() { return QStringLiteral("打印机拒绝连接（请检查端口号，以及打印机是否开机）"); }
QString CauseHostNotFound() { return QStringLiteral("找不到这个地址的主机（请检查 printerip）"); }
QString CauseRemoteClosed() { return QStringLiteral("打印机断开了连接"); }
QString CauseTimedOut() { return QStringLiteral("连接超时"); }
QString CauseNetwork() { return QStringLiteral("网络不通（请检查网线和打印机地址）"); }
QString CauseAccess() { return QStringLiteral("系统不允许这个网络连接"); }
QString CauseOther() { return QStringLiteral("网络错误"); }

} // namespace Messages
