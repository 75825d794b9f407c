#include "MediaText.h"

#include <QRegularExpression>

#include <cmath>

bool IsPrinterDpmm(int dpmm)
{
    return dpmm == 6 || dpmm == 8 || dpmm == 12 || dpmm == 24;
}

bool ParseMedia(const QString &text, zpl::Media *media)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+(?:\\.\\d+)?)x(\\d+(?:\\.\\d+)?)(in|mm)$"));
    const auto match = form.match(text.trimmed().toLower());
    if (!match.hasMatch())
        return false;
    const double unit = match.captured(3) == QLatin1String("in") ? 25.4 : 1.0;
    const double width = match.captured(1).toDouble() * unit;
    const double length = match.captured(2).toDouble() * unit;
    const double most = double(zpl::MaxMediaDots) / media->dpmm;
    if (width < 1 || length < 1 || width > most || length > most)
        return false;
    media->widthMm = width;
    media->lengthMm = length;
    return true;
}

QString MediaText(const zpl::Media &media)
{
    const double w = media.widthMm / 25.4, l = media.lengthMm / 25.4;
    if (std::abs(w - std::round(w)) < 1e-6 && std::abs(l - std::round(l)) < 1e-6)
        return QStringLiteral("%1x%2in").arg(std::lround(w)).arg(std::lround(l));
    return QStringLiteral("%1x%2mm").arg(media.widthMm).arg(media.lengthMm);
}
