#include "Settings.h"

#include "CodePage.h"

namespace zpl {

namespace {

void defaultFont(const CommandReader &c, PrinterState &s)
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

void barDefaults(const CommandReader &c, PrinterState &s)
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

// ^LRY/N and ^POI/N: one of two letters.
void choice(const CommandReader &c, const char *yes, const char *no, bool &value)
{
    const QByteArray p = c.text(0).toUpper();
    if (p != yes && p != no)
        c.note(QStringLiteral("expects %1 or %2").arg(QLatin1String(yes), QLatin1String(no)));
    else
        value = p == yes;
}

void labelSize(const CommandReader &c, PrinterState &s, const Media &media)
{
    const bool width = c.token().name == "PW";
    int &value = width ? s.printWidth : s.labelLength;
    const int limit = width ? media.widthDots() : media.lengthDots();
    const int asked = c.number(0, value, 1, MaxCoordinate);
    if (asked > limit)
        c.note(QStringLiteral("%1 dots exceed the media's %2; the media's size is used").arg(asked).arg(limit));
    value = qMin(asked, limit);
}

void mediaTracking(const CommandReader &c, PrinterState &s)
{
    // The ZPL guide: "a value must be entered or the command is ignored".
    if (!c.text(0).isEmpty())
        s.mediaTracking = c.letter(0, "YNWMAV");
}

void darkness(const CommandReader &c, PrinterState &s)
{
    const QByteArray text = c.token().args.trimmed().left(8);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value < 0 || value > 30)
        c.note(QStringLiteral("darkness \"%1\" is not 00-30; kept as received").arg(QString::fromLatin1(text)));
    s.darkness = text;
}

void codePage(const CommandReader &c, PrinterState &s)
{
    const int page = c.number(0, s.codePage, 0, 255);
    if (!IsKnownCodePage(page))
        c.note(QStringLiteral("code page %1 is not supported; data is read as code page 850").arg(page));
    s.codePage = page;
}

} // namespace

bool ApplySetting(const CommandReader &c, PrinterState &s, const Media &media)
{
    const QByteArray command = c.token().command();
    if (command == "^CF")
        defaultFont(c, s);
    else if (command == "^BY")
        barDefaults(c, s);
    else if (command == "^FW") {
        s.rotation = c.rotation(c.text(0), s.rotation);
        s.justify = c.number(1, s.justify, 0, 2);
    }
    else if (command == "^LH")
        s.home = QPoint(c.number(0, 0, 0, MaxCoordinate), c.number(1, 0, 0, MaxCoordinate));
    else if (command == "^LR")
        choice(c, "Y", "N", s.reverseAll);
    else if (command == "^PW" || command == "^LL")
        labelSize(c, s, media);
    else if (command == "^MN")
        mediaTracking(c, s);
    else if (command == "^PO")
        choice(c, "I", "N", s.invert);
    else if (command == "^PR")
        s.printRate = c.text(0).left(8);
    else if (command == "~SD")
        darkness(c, s);
    else if (command == "^MD")
        s.mediaDarkness = c.number(0, 0, -30, 30);
    else if (command == "^CI")
        codePage(c, s);
    else
        return false;
    return true;
}

} // namespace zpl
