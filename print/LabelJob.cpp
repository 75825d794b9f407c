#include "LabelJob.h"

QString ComposeLabelJob(const QString &darkness, const QString &labelText, LabelVariant variant)
{
    const QString text = labelText.toUpper();
    const QString quantity =
        variant == LabelVariant::Parallel ? QStringLiteral("^PQ1") : QStringLiteral("^PQ2");
    return QStringLiteral("^XA^PRB^XZ~SD") + darkness
        + QStringLiteral("^XA^FO40,30^BQN,2,4^FDHM,A") + text
        + QStringLiteral("^FS^FO160,50^A0,89,89^FD") + text
        + QStringLiteral("^FS") + quantity + QStringLiteral("^XZ");
}
