#include "ConfigAddress.h"

#include "modINI.h"

#include <QFileInfo>

namespace {

// As zpltest reads its settings: the same buffer, spaces around the address dropped.
QString setting(const QString &file, const char *key)
{
    return modINI::ReadIniValue(QStringLiteral("network"), QLatin1String(key), file, QString(), 65536);
}

QString withoutSpaces(QString text)
{
    while (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

bool ReadListenAddress(const QString &file, ListenAddress *out, QString *error)
{
    if (!QFileInfo(file).isFile()) {
        *error = QStringLiteral("找不到设置文件 / cannot find the settings file %1").arg(file);
        return false;
    }
    const QString portText = setting(file, "printerport");
    bool ok = false;
    const qlonglong port = portText.trimmed().toLongLong(&ok, 10);
    if (!ok || port < 1 || port > 65535) {
        *error = QStringLiteral("%1 中 [network] 的 printerport 无效：“%2”（应为 1 到 65535）/ "
                                "invalid printerport \"%2\" in [network] of %1 (1 to 65535)").arg(file, portText);
        return false;
    }
    const QString host = withoutSpaces(setting(file, "printerip"));
    const bool localhost = host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
    const QHostAddress address = localhost ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (!address.isLoopback()) {
        *error = QStringLiteral("%1 中的 printerip “%2” 不是本机地址：zplsink 只在本机充当打印机 / "
                                "printerip \"%2\" in %1 is not this machine: zplsink only plays a printer on this "
                                "machine (127.0.0.1, ::1, localhost)").arg(file, host);
        return false;
    }
    out->addresses = {address};
    if (localhost)
        out->addresses << QHostAddress(QHostAddress::LocalHostIPv6);
    out->port = quint16(port);
    return true;
}
