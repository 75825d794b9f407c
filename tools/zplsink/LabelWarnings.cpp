#include "LabelWarnings.h"

#include "HttpLimits.h"

#include <QRegularExpression>

namespace {

// One warning: byte offset|byte length|command|parameter|message. The length
// runs to the next command; the parameter is the position a note names
// ("parameter 2 ..."), empty for the command as a whole.
QByteArray warning(const zpl::Diagnostic &d, const QByteArray &job)
{
    qsizetype end = d.offset + 1;
    while (end < job.size() && job[end] != '^' && job[end] != '~')
        ++end;
    static const QRegularExpression numbered(QStringLiteral("^parameter (\\d+)"));
    const auto match = numbered.match(d.text);
    QByteArray text = d.text.toUtf8();
    for (char &c : text)
        if (c == '|' || uchar(c) < 0x20 || c == 0x7f)
            c = c == '|' ? '/' : ' ';
    QByteArray command = d.command;
    for (char &c : command)
        if (c == '|' || uchar(c) < 0x20 || uchar(c) >= 0x7f)
            c = '?';
    return QByteArray::number(d.offset) + '|' + QByteArray::number(qMax<qint64>(0, end - d.offset)) + '|' + command
           + '|' + (match.hasMatch() ? match.captured(1).toLatin1() : QByteArray()) + '|' + text;
}

} // namespace

QByteArray LabelWarnings(const std::vector<const zpl::Label *> &labels, const QByteArray &job)
{
    QByteArray all;
    int left = 0;
    for (const zpl::Label *label : labels)
        for (const zpl::Diagnostic &d : label->diagnostics) {
            const QByteArray one = warning(d, job);
            if (left > 0 || all.size() + one.size() + 1 > HttpLimits::MaxWarningsBytes) {
                ++left;
                continue;
            }
            all += (all.isEmpty() ? "" : "|") + one;
        }
    if (left > 0)
        all += (all.isEmpty() ? "" : "|") + QByteArray("0|0|||") + QByteArray::number(left) + " more warnings left out";
    return all;
}
