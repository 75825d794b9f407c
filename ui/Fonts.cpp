#include "Fonts.h"

#include "UiTexts.h"

#include <QFontDatabase>
#include <QStringList>

namespace Fonts {
namespace {

const QStringList SansCandidates = {
    QStringLiteral("Microsoft YaHei"),     QStringLiteral("Noto Sans CJK SC"),
    QStringLiteral("Source Han Sans SC"),  QStringLiteral("WenQuanYi Micro Hei"),
    QStringLiteral("WenQuanYi Zen Hei"),   QStringLiteral("Droid Sans Fallback"),
};
const QStringList SerifCandidates = {
    QStringLiteral("SimSun"),              QStringLiteral("NSimSun"),
    QStringLiteral("Noto Serif CJK SC"),   QStringLiteral("Source Han Serif SC"),
    QStringLiteral("AR PL UMing CN"),      QStringLiteral("AR PL SungtiL GB"),
};

// The installed fonts that can write Simplified Chinese, in order of
// preference, any other such font last.
QStringList installed(const QStringList &preferred)
{
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    QStringList result;
    for (const QString &family : preferred) {
        if (chinese.contains(family, Qt::CaseInsensitive))
            result << family;
    }
    for (const QString &family : chinese) {
        if (!result.contains(family, Qt::CaseInsensitive))
            result << family;
    }
    return result;
}

void substitute(const QString &family, const QStringList &standIns)
{
    if (QFontDatabase::families().contains(family) || standIns.isEmpty())
        return;
    QFont::insertSubstitutions(family, standIns);
}

} // namespace

void InstallSubstitutes()
{
    substitute(UiTexts::SansFamily(), installed(SansCandidates));
    substitute(UiTexts::SerifFamily(), installed(SerifCandidates + SansCandidates));
}

QFont Make(const QString &family, bool bold, qreal pointSize)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace Fonts
