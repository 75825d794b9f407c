#pragma once

#include <QString>

namespace modINI {

// Reads `key` under `[section]` of the INI file `file` through the system's
// profile reader, with a buffer of `size` characters (one of them for the
// terminating NUL, so at most size - 1 come back). An inline comment from the
// first ";" on is cut off, every "<S:BR>" becomes CR LF, and when nothing is
// left (missing file, section or key, an empty value or one that starts with
// ";") the result is `defaultValue`. Nothing is trimmed here.
QString ReadIniValue(const QString &section, const QString &key, const QString &file,
                     const QString &defaultValue, qint32 size);

} // namespace modINI
