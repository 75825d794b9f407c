#include "modINI.h"

#include "Platform.h"

#include <QByteArray>

namespace modINI {

QString ReadIniValue(const QString &section, const QString &key, const QString &file,
                     const QString &defaultValue, qint32 size)
{
    // The reader fills at most `size` bytes; the rest of the buffer stays blank.
    QByteArray buffer(qMax(size, 0), ' ');
    const std::size_t length = platform::ProfileString(
        section.toLocal8Bit().constData(), key.toLocal8Bit().constData(), "", buffer.data(),
        std::size_t(buffer.size()), file.toLocal8Bit().constData());
    const QString returned = QString::fromLocal8Bit(buffer.constData(), qsizetype(length));

    QString value;
    const qsizetype semicolon = returned.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        value = returned.left(semicolon);
    else if (length > 0)
        value = returned;

    if (value.isEmpty())
        return defaultValue;
    return value.replace(QStringLiteral("<S:BR>"), QStringLiteral("\r\n"));
}

} // namespace modINI
