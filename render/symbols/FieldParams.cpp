#include "FieldParams.h"

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

int FieldParams::number(int index, const char *name, int fallback, int low, int high) const
{
    const QByteArray value = text(index);
    if (value.isEmpty())
        return fallback;
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= low && n <= high)
        return n;
    refuse(name, value, QString::number(fallback));
    return fallback;
}

bool FieldParams::flag(int index, const char *name, bool fallback) const
{
    return letter(index, name, fallback ? 'Y' : 'N', "YN") == 'Y';
}

char FieldParams::letter(int index, const char *name, char fallback, const char *allowed) const
{
    const QByteArray value = text(index).toUpper();
    if (value.isEmpty())
        return fallback;
    if (value.size() == 1 && std::strchr(allowed, value.at(0)))
        return value.at(0);
    refuse(name, value, QString(QLatin1Char(fallback)));
    return fallback;
}

void FieldParams::refuse(const char *name, const QByteArray &value, const QString &used) const
{
    // The value is shown as Latin-1 so that any byte reads as one character.
    m_notes->append(QStringLiteral("%1 \"%2\" is not valid; %3 used")
                        .arg(QLatin1String(name), QString::fromLatin1(value), used));
}

} // namespace zpl
