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

} // namespace

QString SystemDetail(SystemReason reason, const QString &code)
{
    const auto words = [reason] {
        switch (reason) {
        case SystemReason::ConnectionRefused: return QStringLiteral("对方拒绝连接");
        case SystemReason::Unreachable: return QStringLiteral("网络或主机不可达");
        case SystemReason::TimedOut: return QStringLiteral("连接超时");
        case SystemReason::ConnectionReset: return QStringLiteral("连接被对方重置");
        case SystemReason::ClosedByPeer: return QStringLiteral("连接被对方关闭");
        case SystemReason::HostNotFound: return QStringLiteral("主机名不存在，或没有地址");
        case SystemReason::DeviceNotFound: return QStringLiteral("设备不存在");
        case SystemReason::AccessDenied: return QStringLiteral("拒绝访问");
        case SystemReason::DeviceBusy: return QStringLiteral("设备正被占用");
        case SystemReason::PaperOut: return QStringLiteral("缺纸");
        case SystemReason::NotReady: return QStringLiteral("设备未就绪");
        case SystemReason::PipeClosed: return QStringLiteral("管道的读取方已关闭");
        }
        return QString();
    };
    return SystemDetail(words(), code);
}

QString SystemDetail(const QString &systemText, const QString &code)
{
    return code.isEmpty() ? systemText : QStringLiteral("%1（%2）").arg(systemText, code);
}

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

QString HostNotFound(const QString &host, const QString &detail)
{
    return withDetail(
        QStringLiteral("找不到打印机地址“%1”：这个主机名无法解析（请检查 Config.ini 中 [network] 的 printerip）。")
            .arg(host),
        detail);
}

QString HostLookupTimedOut(const QString &host, int seconds)
{
    return QStringLiteral("%2 秒内未能解析打印机地址“%1”（请检查 Config.ini 中 [network] 的 printerip 和网络设置）。")
        .arg(host, QString::number(seconds));
}

QString Refused(const QString &printer, const QString &detail)
{
    return withDetail(QStringLiteral("打印机 %1 拒绝连接（请检查端口号，以及打印机是否开机）。").arg(printer), detail);
}

QString Unreachable(const QString &printer, const QString &detail)
{
    return withDetail(QStringLiteral("网络不通，无法连接打印机 %1（请检查网线和打印机地址）。").arg(printer), detail);
}

QString NoAnswer(const QString &printer, int seconds)
{
    return QStringLiteral("打印机 %1 在 %2 秒内没有应答（请检查打印机地址、网线和打印机电源）。")
        .arg(printer, QString::number(seconds));
}

QString Dropped(const QString &printer, const QString &detail)
{
    return withDetail(QStringLiteral("打印机 %1 断开了连接，标签没有送出。").arg(printer), detail);
}

QString ConnectFailed(const QString &printer, const QString &detail)
{
    return withDetail(QStringLiteral("无法连接打印机 %1。").arg(printer), detail);
}

QString DeliveryBroken(const QString &printer, qint64 taken, qint64 total, const QString &detail)
{
    return withDetail(QStringLiteral("标签没有完整送达打印机 %1：连接中断，打印机只接收了 %2 / %3 字节。")
                          .arg(printer, QString::number(taken), QString::number(total)),
                      detail);
}

QString ResetAfterDelivery(const QString &printer, qint64 total, const QString &detail)
{
    return withDetail(QStringLiteral("打印机 %1 收下全部 %2 字节后中断了连接，标签可能没有打印。")
                          .arg(printer, QString::number(total)),
                      detail);
}

QString DeliveryStalled(const QString &printer, qint64 taken, qint64 total, int seconds)
{
    return QStringLiteral("打印机 %1 在 %4 秒内只接收了 %2 / %3 字节，其余部分仍在后台发送"
                          "（请检查打印机是否缺纸、暂停或忙碌）。")
        .arg(printer, QString::number(taken), QString::number(total), QString::number(seconds));
}

QString AddressesTried(int count, const QString &addresses)
{
    return QStringLiteral("已依次尝试这个名称的 %1 个地址：%2。").arg(QString::number(count), addresses);
}

QString DeviceMissing(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("找不到打印机设备 %1（这台电脑可能没有并口或 USB 打印机，或打印机未连接；"
                                     "可在 Config.ini 的 [prtmod] 中用 device= 指定设备）。")
                          .arg(device),
                      detail);
}

QString DeviceAccessDenied(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("没有权限写入打印机设备 %1。").arg(device), detail);
}

QString DeviceAccessDeniedGroup(const QString &device, const QString &user, const QString &detail)
{
    return withDetail(QStringLiteral("没有权限写入打印机设备 %1：当前用户不在 lp 组中。"
                                     "请运行 sudo usermod -aG lp %2，然后重新登录。")
                          .arg(device, user.isEmpty() ? QStringLiteral("$USER") : user),
                      detail);
}

QString DeviceNotReady(const QString &device, const QString &detail)
{
    return withDetail(
        QStringLiteral("打印机设备 %1 未就绪（请检查打印机是否开机、联机，以及打印线）。").arg(device), detail);
}

QString DeviceBusy(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("打印机设备 %1 正被其他程序占用（请关闭使用它的程序后再打印）。").arg(device),
                      detail);
}

QString DeviceGone(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("打印机设备 %1 在接收途中断开了，标签没有完整送出（请检查打印机和打印线）。")
                          .arg(device),
                      detail);
}

QString DevicePaperOut(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("打印机设备 %1 报告缺纸，标签没有完整送出（请装好标签纸后再打印）。").arg(device),
                      detail);
}

QString DeviceOpenFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("无法打开打印机设备 %1。").arg(device), detail);
}

QString DeviceWriteFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("写入打印机设备 %1 失败，标签没有完整送出。").arg(device), detail);
}

QString DeviceWriteTimedOut(const QString &device, int seconds)
{
    return QStringLiteral("打印机在 %2 秒内没有接收设备 %1 上的数据，标签没有完整送出（请检查打印机是否联机、缺纸或卡纸）。")
        .arg(device, QString::number(seconds));
}

QString DeviceCloseFailed(const QString &device, const QString &detail)
{
    return withDetail(QStringLiteral("关闭打印机设备 %1 时出错，标签可能没有完整送出。").arg(device), detail);
}

QString Unexpected(const QString &detail)
{
    return withDetail(QStringLiteral("打印时发生意外错误。"), detail);
}

} // namespace Messages
