#pragma once

#include <QFont>
#include <QString>

namespace Fonts {

// Where "微软雅黑" or "宋体" is not installed, lets a Chinese font of the same
// style stand in for it (a sans serif for the first, a serif or that sans for
// the second), so that the windows never show a character as a box. Call once
// after the application object exists.
void InstallSubstitutes();

// `family` in bold (weight 700) or regular (400) at `pointSize`.
QFont Make(const QString &family, bool bold, qreal pointSize);

} // namespace Fonts
