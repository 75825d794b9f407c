#include "HostStatus.h"

#include <QtGlobal>

namespace zpl {

namespace {

QByteArray framed(const QByteArray &text)
{
    return '\x02' + text + "\x03\r\n";
}

QByteArray digits(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

} // namespace

QByteArray HostStatusAnswer(const HostStatus &status, int labelLength, bool partialFormat)
{
    // 1: serial settings (030: 9600 baud, 8 bits, no parity), paper out, pause,
    //    label length, formats waiting (none: each prints at its ^XZ), buffer
    //    full, diagnostics mode, partial format, unused, RAM corrupt, under and
    //    over temperature.
    const QByteArray first = "030," + QByteArray(status.paperOut ? "1" : "0") + ',' + (status.paused ? "1" : "0")
                           + ',' + digits(qBound(0, labelLength, 9999), 4) + ",000,0,0," + (partialFormat ? "1" : "0")
                           + ",000,0,0,0";
    // 2: function settings, unused, head up, ribbon out, direct thermal, tear-off
    //    mode, print width mode, no label waiting, none left in the batch, format
    //    while printing, no graphics stored.
    const QByteArray second = "000,0,0,0,0,2,0,0,00000000,1,000";
    // 3: password, static RAM installed.
    const QByteArray third = "1234,0";
    return framed(first) + framed(second) + framed(third);
}

QByteArray HostIdentificationAnswer(int dpmm)
{
    return framed("ZPLSINK,V1.0.0," + QByteArray::number(dpmm) + ",8192KB,");
}

QByteArray ExtendedStatusAnswer(const HostStatus &status)
{
    // Error flags, lowest hex digit: 1 = media out.
    const QByteArray errors = status.paperOut ? "1 00000000 00000001" : "0 00000000 00000000";
    return framed("\r\nPRINTER STATUS\r\n  ERRORS:   " + errors + "\r\n  WARNINGS: 0 00000000 00000000\r\n");
}

} // namespace zpl
