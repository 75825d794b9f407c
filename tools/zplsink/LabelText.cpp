#include "LabelText.h"

namespace {

// A command's name comes from the job: no byte of it may act on a terminal.
QString safeName(const QByteArray &name)
{
    QString out;
    for (const char c : name)
        out += (c > 0x20 && c < 0x7f) ? QChar::fromLatin1(c) : QLatin1Char('?');
    return out;
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
        text += QStringLiteral("\n    @%1 %2: %3").arg(d.offset).arg(safeName(d.command), d.text);
    }
    return text;
}
