// Printer's field commands beyond position, data and content: ^FP, ^CW,
// ^SN/^SF and ^FC.

#include "Printer.h"

namespace zpl {

namespace {

// ^FC's conversions: the letter after an indicator, as the printer's clock reads.
QString ClockText(char letter, const QDateTime &now)
{
    const QDate d = now.date();
    const QTime t = now.time();
    const QLocale c = QLocale::c();
    switch (letter) {
    case 'a': return c.dayName(d.dayOfWeek(), QLocale::ShortFormat);
    case 'A': return c.dayName(d.dayOfWeek());
    case 'b': return c.monthName(d.month(), QLocale::ShortFormat);
    case 'B': return c.monthName(d.month());
    case 'd': return QString::asprintf("%02d", d.day());
    case 'H': return QString::asprintf("%02d", t.hour());
    case 'I': return QString::asprintf("%02d", (t.hour() + 11) % 12 + 1);
    case 'j': return QString::asprintf("%03d", d.dayOfYear());
    case 'm': return QString::asprintf("%02d", d.month());
    case 'M': return QString::asprintf("%02d", t.minute());
    case 'p': return t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    case 'S': return QString::asprintf("%02d", t.second());
    case 'y': return QString::asprintf("%02d", d.year() % 100);
    case 'Y': return QString::number(d.year());
    case 'w': return QString::number(d.dayOfWeek() % 7);
    // Weeks as C's strftime counts them: week 1 begins on the year's first
    // Sunday (%U) or Monday (%W), the days before it are week 0.
    case 'U': return QString::asprintf("%02d", (d.dayOfYear() + 6 - d.dayOfWeek() % 7) / 7);
    case 'W': return QString::asprintf("%02d", (d.dayOfYear() + 6 - (d.dayOfWeek() - 1)) / 7);
    default: return {};
    }
}

} // namespace

void Printer::fieldDirection(const Token &token)
{
    m_field.direction = reader(token).letter(0, "HVR");
    m_field.directionGap = number(token, 1, 0, 0, 9999);
    m_fieldOpen = true;
}

void Printer::fontAlias(const Token &token)
{
    const QByteArray letter = token.param(0).trimmed().toUpper();
    const QByteArray name = Storage::objectName(token.param(1), "FNT");
    if (letter.size() != 1 || name.isEmpty()) {
        diagnose(token, QStringLiteral("needs a font letter and d:NAME.FNT; skipped"));
        return;
    }
    m_state.fontAliases.insert(letter.at(0), name);
}

// ^TBo,w,h: a block of width w whose lines fit the height h; wrapping as ^FB's.
void Printer::textBlock(const Token &token)
{
    m_field.block = true;
    m_field.blockRotated = !token.param(0).trimmed().isEmpty();
    m_field.blockRotation = rotation(token, token.param(0), m_state.rotation);
    m_field.blockWidth = number(token, 1, 0, 0, MaxCoordinate);
    m_field.blockHeight = number(token, 2, 0, 0, MaxCoordinate);
    m_fieldOpen = true;
}

// ^GSo,h,w: a text field in the symbol font (font 0 holds the marks).
void Printer::graphicSymbol(const Token &token)
{
    m_field.hasFont = true;
    m_field.font = '0';
    m_field.symbols = true;
    fontSize(token);
}

void Printer::storeLabelImage(const Token &token)
{
    diagnose(token, QStringLiteral("storing the printed label as an image is not supported (the image is made "
                                   "after the format ends); the label prints, nothing is stored"));
}

// The ZPL guide: ^LSa "Accepted Values: -9999 to 9999", "assumed to be
// positive unless preceded by a negative sign (-)".
void Printer::labelShift(const Token &token)
{
    const QByteArray text = token.param(0).trimmed();
    bool ok = false;
    const int shift = text.toInt(&ok);
    if (!text.isEmpty() && (!ok || shift < -9999 || shift > 9999))
        diagnose(token, QStringLiteral("label shift must be -9999 to 9999; refused"));
    else if (ok && shift != 0)
        diagnose(token, QStringLiteral("label shift only moves fields for a printer's own adjustment; not applied"));
}

// ^SNv,n,z takes v as the field's data; ^SF's mask works on the ^FD data.
// Both count on from label to label; only the first is drawn.
void Printer::serial(const Token &token)
{
    if (token.name == "SN") {
        Token data = token;
        data.args = token.param(0);
        fieldData(data);
    }
    m_serialAt = token.offset;
    m_fieldOpen = true;
}

void Printer::clock(const Token &token)
{
    m_field.clock = token.args.left(3);
    if (m_field.clock.isEmpty())
        m_field.clock = "%";
    m_fieldOpen = true;
}

// The field's data with the clock indicators replaced by the time now.
QByteArray Printer::clockData(const QByteArray &data) const
{
    const QDateTime now = m_clock();
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (m_field.clock.contains(c) && i + 1 < data.size()) {
            const QString text = ClockText(data.at(i + 1), now);
            if (!text.isEmpty()) {
                out += text.toLatin1();
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace zpl
