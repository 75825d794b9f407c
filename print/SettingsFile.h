#pragma once

#include <QString>

namespace SettingsFile {

// The settings file in `folder`: "Config.ini" if it is there. Where file names
// are case-sensitive and it is not, a file whose name differs from it only in
// case ("CONFIG.INI", as the instructions write it) stands in. With neither,
// the path of "Config.ini", which then reads as missing.
QString Path(const QString &folder);

} // namespace SettingsFile
