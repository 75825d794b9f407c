#include "FieldParams.h"

#include <cmath>
#include <cstring>

namespace zpl {

FieldParams::FieldParams(const QList<QByteArray> &params, QStringList *notes)
    : m_params(params), m_notes(notes)
{
}

QByteArray FieldParams::text(int index) const
{
    return index >= 0 && index < m_params.size() ? m_params.at(index).trimmed() : QByteArray();
}

int FieldParams::number(int index, const QByteArray &name, int fallback, int low, int high) const
{
    const QByteArray value = text(index);
    if (value.isEmpty())
        return fallback;
    // A decimal number counts by its integer part (150.7 is 150), as
    // printers read coordinates and sizes.
    bool ok = false;
    const double n = std::trunc(value.toDouble(&ok));
    if (ok && n >= low && n <= high)
        return int(n);
    refuse(name, value, QString::number(fallback));
    return fallback;
}

bool FieldParams::flag(int index, const QByteArray &name, bool fallback) const
{
    return letter(index, name, fallback ? 'Y' : 'N', "YN") == 'Y';
}

char FieldParams::letter(int index, const QByteArray &name, char fallback, const char *allowed) const
{
    const QByteArray value = text(index).toUpper();
    if (value.isEmpty())
        return fallback;
    if (value.size() == 1 && value.at(0) != 0 && std::strchr(allowed, value.at(0)))
        return value.at(0);
    refuse(name, value, QString(QLatin1Char(fallback)));
    return fallback;
}

void FieldParams::readHeightAndLine(int index, const char *symbology, int height, BarcodeResult *result,
                                    bool lineByDefault, bool aboveByDefault) const
{
    const QByteArray name(symbology);
    result->barHeight = number(index, name + " height", height, 1, 32000);
    const bool line = flag(index + 1, name + " interpretation line", lineByDefault);
    const bool above = flag(index + 2, name + " line above", aboveByDefault);
    result->textLine = !line ? TextLine::None : above ? TextLine::Above : TextLine::Below;
}

void FieldParams::refuse(const QByteArray &name, const QByteArray &value, const QString &used) const
{
    // The value is shown as Latin-1 so that any byte reads as one character.
    m_notes->append(QStringLiteral("%1 \"%2\" is not valid; %3 used")
                        .arg(QString::fromLatin1(name), QString::fromLatin1(value), used));
}

QByteArray DigitsOnly(const QByteArray &data, const char *symbology, QStringList *notes)
{
    QByteArray digits;
    for (const char c : data)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits.size() != data.size())
        notes->append(QStringLiteral("%1 takes digits only; the others were skipped").arg(QLatin1String(symbology)));
    return digits;
}

} // namespace zpl
