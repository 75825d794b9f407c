#include "LabelText.h"

#include "Printer.h"

namespace {

// A command's name comes from the job: no byte of it may act on a terminal.
QString safeName(const QByteArray &name)
{
    QString out;
    for (const char c : name)
        out += (c > 0x20 && c < 0x7f) ? QChar::fromLatin1(c) : QLatin1Char('?');
    return out;
}

// A note may quote the job's bytes; control characters show as '?'.
QString safeText(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            c = QLatin1Char('?');
    return text;
}

} // namespace

QString DescribeLabel(const zpl::Label &label, const QString &name)
{
    QString text = QStringLiteral("  标签 label %1: %2 x %3 点 dots, 数量 quantity %4")
                       .arg(name).arg(label.width).arg(label.length).arg(label.quantity);
    if (!label.printRate.isEmpty())
        text += QStringLiteral(", ^PR %1").arg(safeName(label.printRate));
    if (!label.darkness.isEmpty())
        text += QStringLiteral(", ~SD %1").arg(safeName(label.darkness));
    if (!label.diagnostics.empty())
        text += QStringLiteral(", %1 条提示 notes").arg(label.diagnostics.size());
    // A hostile job could hold thousands; the first ones say enough.
    int shown = 0;
    for (const zpl::Diagnostic &d : label.diagnostics) {
        if (++shown > 20) {
            text += QStringLiteral("\n    …");
            break;
        }
        text += QStringLiteral("\n    @%1 %2: %3").arg(d.offset).arg(safeName(d.command), safeText(d.text));
    }
    return text;
}

QString DescribeSkipped(int count)
{
    return QStringLiteral("  另有 %1 个标签未画出（每个任务最多 %2 个）/ %1 more labels not rendered (at most %2 per job)")
        .arg(count).arg(zpl::Printer::MaxLabels);
}
