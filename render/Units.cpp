#include "Units.h"

#include "CommandReader.h"

namespace zpl {

void ApplyUnits(const CommandReader &c, Units &units, int dpmm)
{
    const QByteArray a = c.text(0).toUpper();
    const char unit = a.isEmpty() ? 'D' : a.at(0);
    if (unit != 'D' && unit != 'I' && unit != 'M') {
        c.note(QStringLiteral("units must be D, I or M; unchanged"));
        return;
    }
    units.unit = unit;
    units.scale = unit == 'I' ? dpmm * 25.4 : unit == 'M' ? dpmm : 1.0;
    const int from = c.number(1, 0, 0, 600), to = c.number(2, 0, 0, 600);
    if (unit == 'D' && from > 0 && to > 0)
        units.scale = double(to) / from;
}

Token ToDots(const Token &token, const Units &units, const QList<int> &measured,
             const std::function<void(const QString &)> &report)
{
    if (units.identity() || measured.isEmpty())
        return token;
    QList<QByteArray> params = token.params();
    for (int i : measured) {
        if (i >= params.size() || params[i].trimmed().isEmpty())
            continue;
        bool ok = false;
        const double value = params[i].trimmed().toDouble(&ok);
        if (!ok) {
            report(QStringLiteral("\"%1\" is no measure in the ^MU units").arg(QString::fromLatin1(params[i])));
            continue;
        }
        params[i] = QByteArray::number(qRound64(qBound(-1e9, value * units.scale, 1e9)));
    }
    Token converted = token;
    converted.args = params.join(token.delimiter);
    return converted;
}

} // namespace zpl
