#include "Units.h"

#include "CommandReader.h"

namespace zpl {

namespace {

// Which parameters of a command are lengths.
QList<int> MeasuredParameters(const Token &token)
{
    const QByteArray n = token.name;
    if (token.prefix != '^')
        return {};
    if (n == "FO" || n == "FT" || n == "LH" || n == "GC")
        return {0, 1};
    if (n == "GB" || n == "GD" || n == "GE")
        return {0, 1, 2};
    if (n == "PW" || n == "LL" || n == "LS" || n == "LT" || n == "FB")
        return {0};
    if (n == "BY")
        return {2};
    if (n == "TB")
        return {1, 2};
    if (n.startsWith('A'))
        return {1, 2};
    if (n.size() == 2 && n.at(0) == 'B') {
        if (QByteArray("QXOD0").contains(n.at(1)))      // module sizes, not lengths
            return {};
        return {QByteArray("3K1").contains(n.at(1)) ? 2 : 1};
    }
    return {};
}

} // namespace

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

Token ToDots(const Token &token, const Units &units, const std::function<void(const QString &)> &report)
{
    if (units.identity())
        return token;
    const QList<int> measured = MeasuredParameters(token);
    if (measured.isEmpty())
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
