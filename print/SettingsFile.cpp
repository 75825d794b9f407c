#include "SettingsFile.h"

#include <QDir>
#include <QFileInfo>

namespace SettingsFile {

QString Path(const QString &folder)
{
    const QString name = QStringLiteral("Config.ini");
    const QDir dir(folder);
    QString path = dir.filePath(name);
    if (!QFileInfo::exists(path)) {
        // Sorted, so that with several candidates the choice is always the same.
        const QStringList all = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &entry : all) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                path = dir.filePath(entry);
                break;
            }
        }
    }
    return QDir::toNativeSeparators(path);
}

} // namespace SettingsFile
