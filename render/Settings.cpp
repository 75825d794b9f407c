#include "Settings.h"

#include "CodePage.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace zpl {

namespace {

// ^LRY/N and ^POI/N: one of two letters.
void choice(const CommandReader &c, const char *yes, const char *no, bool &value)
{
    const QByteArray p = c.text(0).toUpper();
    if (p != yes && p != no)
        c.note(QStringLiteral("expects %1 or %2").arg(QLatin1String(yes), QLatin1String(no)));
    else
        value = p == yes;
}

// A value from the job as a note may quote it: itself when it is a few
// printable characters, else only its length (noise stays out of reports).
QString quoted(const QByteArray &text)
{
    const bool plain = text.size() <= 12 && std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
    if (plain)
        return QStringLiteral("\"%1\"").arg(QString::fromLatin1(text));
    return text.size() == 1 ? QStringLiteral("(1 byte)") : QStringLiteral("(%1 bytes)").arg(text.size());
}

// ~SD and ^MD. The ZPL guide: ~SD "Accepted Values: 00 to 30", ^MD
// "Accepted Values: -30 to 30" ("If no value is entered, this command is
// ignored"), both "0 to 30 in increments of 0.1" on some models ("~SD8.3").
// Anything else is refused and the last good value stays.
bool darknessLevel(const CommandReader &c, bool relative, double *value)
{
    static const QRegularExpression form(QStringLiteral("^([-+]?)\\d{1,2}(\\.\\d)?$"));
    const QByteArray text = c.text(0);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(text));
    const double level = text.toDouble();
    if (text.isEmpty()) {
        c.note(QStringLiteral("no darkness given; ignored"));
    } else if (!match.hasMatch() || (!relative && !match.captured(1).isEmpty()) || qAbs(level) > 30) {
        c.note(QStringLiteral("darkness %1 is not %2 (tenths allowed); refused, the last value stays")
                   .arg(quoted(text), relative ? QStringLiteral("-30 to 30") : QStringLiteral("00 to 30")));
    } else {
        *value = level;
        return true;
    }
    return false;
}

} // namespace

void SetDefaultFont(const CommandReader &c, PrinterState &s, const Media &)
{
    const QByteArray f = c.text(0);
    if (!f.isEmpty())
        s.font = f.at(0);
    // The ZPL guide, ^CF: "Defining only the height or width forces the
    // magnification to be proportional to the parameter defined. If neither
    // value is defined, the last ^CF values given or the default ^CF values
    // for height and width are used." 0 is not defined.
    const int height = c.number(1, 0, 0, MaxCoordinate), width = c.number(2, 0, 0, MaxCoordinate);
    if (height > 0 || width > 0) {
        s.fontHeight = height;
        s.fontWidth = width;
    }
}

void SetBarDefaults(const CommandReader &c, PrinterState &s, const Media &)
{
    s.by.moduleWidth = c.number(0, s.by.moduleWidth, 1, 10);
    const QByteArray r = c.text(1);
    bool ok = false;
    const double ratio = r.toDouble(&ok);
    if (!r.isEmpty() && (!ok || ratio < 2.0 || ratio > 3.0))
        c.note(QStringLiteral("the wide to narrow ratio must be 2.0-3.0"));
    else if (ok)
        s.by.ratio = ratio;
    s.by.height = c.number(2, s.by.height, 1, MaxCoordinate);
}

void SetLabelSize(const CommandReader &c, PrinterState &s, const Media &media)
{
    const bool width = c.token().name == "PW";
    int &value = width ? s.printWidth : s.labelLength;
    const int limit = width ? media.widthDots() : media.lengthDots();
    const int asked = c.number(0, value, 1, MaxCoordinate);
    if (asked > limit)
        c.note(QStringLiteral("%1 dots exceed the media's %2; the media's size is used").arg(asked).arg(limit));
    value = qMin(asked, limit);
}

void SetMediaTracking(const CommandReader &c, PrinterState &s, const Media &)
{
    // The ZPL guide: "a value must be entered or the command is ignored".
    if (!c.text(0).isEmpty())
        s.mediaTracking = c.letter(0, "YNWMAV");
}

void SetDarkness(const CommandReader &c, PrinterState &s, const Media &)
{
    double level = 0;
    if (darknessLevel(c, false, &level))
        s.darkness = QByteArray::number(level);
}

// ^PRp,s,b: print, slew and backfeed speed. The ZPL guide lists "A or 2 =
// 50.8 mm/sec." up to "E or 8 = 203.2 mm/sec." and numbers to 12 (1, 13 and
// 14 on some models); a speed not in the list is refused, the last stays. Kept
// as the command's text, "B" or "2,E,A".
void SetPrintRate(const CommandReader &c, PrinterState &s, const Media &)
{
    static const char *const names[] = {"print", "slew", "backfeed"};
    QByteArrayList speeds = s.printRate.split(',');
    speeds.resize(3);
    for (int i = 0; i < 3; ++i) {
        const QByteArray text = c.text(i).toUpper();
        bool ok = false;
        const int number = text.toInt(&ok);
        if (text.size() == 1 && text.at(0) >= 'A' && text.at(0) <= 'E')
            speeds[i] = text;
        else if (ok && number >= 1 && number <= 14 && text.at(0) != '+')
            speeds[i] = QByteArray::number(number);
        else if (!text.isEmpty())
            c.note(QStringLiteral("%1 speed %2 is not A-E or 1-14; refused, the last one stays").arg(QLatin1String(names[i]), quoted(text)));
    }
    while (!speeds.isEmpty() && speeds.last().isEmpty())
        speeds.removeLast();
    s.printRate = speeds.join(',');
}

// ^LHx,y: the ZPL guide's "Accepted Values: 0 to 32000" for each; a value
// beyond is refused, the last one stays.
void SetLabelHome(const CommandReader &c, PrinterState &s, const Media &)
{
    int xy[2] = {s.home.x(), s.home.y()};
    for (int i = 0; i < 2; ++i) {
        const int value = c.number(i, 0, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        if (value >= 0 && value <= MaxCoordinate)
            xy[i] = value;
        else
            c.note(QStringLiteral("%1 %2 is outside 0-%3; refused, the last one stays").arg(i ? 'y' : 'x').arg(value).arg(MaxCoordinate));
    }
    s.home = QPoint(xy[0], xy[1]);
}

// ^CIa: the character sets the ZPL guide lists (0-17, 24, 26-31, 33-36; the
// rest are "Reserved"). Another is refused, the last one stays; one we cannot
// decode is taken and read as code page 850, with a note.
void SetCodePage(const CommandReader &c, PrinterState &s, const Media &)
{
    const QByteArray text = c.text(0);
    bool ok = false;
    const int page = text.toInt(&ok);
    if (text.isEmpty())
        return;
    if (!ok || page < 0 || page > 36 || (page >= 18 && page <= 23) || page == 25 || page == 32) {
        c.note(QStringLiteral("character set %1 is not one a printer has; refused, the last one stays").arg(quoted(text)));
        return;
    }
    if (!IsKnownCodePage(page))
        c.note(QStringLiteral("code page %1 is not supported; data is read as code page 850").arg(page));
    s.codePage = page;
}

void SetFieldDefaults(const CommandReader &c, PrinterState &s, const Media &)
{
    s.rotation = c.rotation(c.text(0), s.rotation);
    s.justify = c.number(1, s.justify, 0, 2);
}

void SetReverseAll(const CommandReader &c, PrinterState &s, const Media &)
{
    choice(c, "Y", "N", s.reverseAll);
}

void SetInvert(const CommandReader &c, PrinterState &s, const Media &)
{
    choice(c, "I", "N", s.invert);
}

void SetMediaDarkness(const CommandReader &c, PrinterState &s, const Media &)
{
    darknessLevel(c, true, &s.mediaDarkness);
}

} // namespace zpl
