#include "CommandReader.h"

#include <QtMath>

#include <cctype>
#include <cstring>

namespace zpl {

CommandReader::CommandReader(const Token &token, std::function<void(const QString &)> report)
    : m_token(token), m_report(std::move(report))
{
}

int CommandReader::number(int index, int fallback, int low, int high) const
{
    const QByteArray value = text(index);
    if (value.isEmpty())
        return fallback;
    QString oddity;
    const std::optional<double> read = ReadNumber(value, low >= 0, &oddity);
    if (!read) {
        note(QStringLiteral("parameter %1 \"%2\" is not a number; the default is used")
                 .arg(index + 1).arg(QString::fromLatin1(value.left(20))));
        return fallback;
    }
    if (!oddity.isEmpty())
        note(QStringLiteral("parameter %1 \"%2\": %3").arg(index + 1).arg(QString::fromLatin1(value.left(20)), oddity));
    const double number = *read;
    if (number < low || number > high)
        note(QStringLiteral("parameter %1 (%2) is outside %3-%4; limited to it")
                 .arg(index + 1).arg(QString::fromLatin1(value.left(20))).arg(low).arg(high));
    return int(qBound<double>(low, std::floor(number), high));
}

std::optional<double> ReadNumber(const QByteArray &text, bool unsigned_, QString *oddity)
{
    // Printers read a number from its first digit: letters before it are
    // skipped (^FOB50 is 50), and where a value cannot be negative a minus
    // sign in front is ignored.
    bool ok = false;
    if (!text.isEmpty() && std::isdigit(uchar(text.at(0)))) {     // the usual case
        const double value = text.toDouble(&ok);
        if (ok && qIsFinite(value))
            return value;
    }
    qsizetype at = 0;
    while (at < text.size() && !std::isdigit(uchar(text.at(at))) && !std::strchr("+-.", text.at(at)))
        ++at;
    if (at > 0 && oddity)
        *oddity = QStringLiteral("the letters before its digits are skipped");
    QByteArray number = text.mid(at);
    if (unsigned_ && number.startsWith('-')) {
        number.remove(0, 1);
        if (oddity)
            *oddity = QStringLiteral("the minus sign is ignored");
    }
    const double value = number.toDouble(&ok);
    if (!ok || !qIsFinite(value))
        return std::nullopt;
    return value;
}

char CommandReader::letter(int index, const char *choices) const
{
    const QByteArray value = text(index).toUpper();
    if (value.isEmpty())
        return choices[0];
    if (!value.at(0) || !std::strchr(choices, value.at(0))) {
        note(QStringLiteral("parameter %1 \"%2\" is not one of %3; %4 is used")
                 .arg(index + 1).arg(QString::fromLatin1(value.left(5)), QString::fromLatin1(choices))
                 .arg(QLatin1Char(choices[0])));
        return choices[0];
    }
    return value.at(0);
}

Rotation CommandReader::rotation(const QByteArray &letter, Rotation fallback) const
{
    switch (letter.trimmed().toUpper().left(1).constData()[0]) {
    case 'N': return Rotation::N;
    case 'R': return Rotation::R;
    case 'I': return Rotation::I;
    case 'B': return Rotation::B;
    case '\0': return fallback;
    default:
        note(QStringLiteral("orientation \"%1\" is not N, R, I or B").arg(QString::fromLatin1(letter.left(5))));
        return fallback;
    }
}

} // namespace zpl
