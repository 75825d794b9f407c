#include "QrSwitches.h"

namespace zpl {

namespace {

QString Shown(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.left(40));
}

bool ParseNumber(const QByteArray &digits, int base, int *value)
{
    bool ok = false;
    *value = digits.toInt(&ok, base);
    return ok && !digits.startsWith('+') && !digits.startsWith('-');
}

// "D<cc><nn><pp>," at `data`'s head; returns the switches' length, 0 when absent.
int ParseStructuredAppend(const QByteArray &data, QrSwitches *switches, QStringList *notes)
{
    if (!data.startsWith('D'))
        return 0;
    const int comma = data.indexOf(',');
    const QByteArray header = data.left(comma < 0 ? data.size() : comma);
    int sequence = 0, count = 0, parity = 0;
    if (header.size() == 7 && ParseNumber(header.mid(1, 2), 10, &sequence)
        && ParseNumber(header.mid(3, 2), 10, &count) && ParseNumber(header.mid(5, 2), 16, &parity)
        && count >= 1 && count <= 16 && sequence >= 1 && sequence <= count) {
        switches->sequence = sequence;
        switches->sequenceCount = count > 1 ? count : 0;
        switches->parity = parity;
    } else {
        notes->append(QStringLiteral("QR structured append header \"%1\" is malformed; ignored")
                          .arg(Shown(header)));
    }
    return comma < 0 ? data.size() : comma + 1;
}

// Printers drop what the alphanumeric set (0-9, A-Z, space, $ % * + - . / :) lacks.
QByteArray AlphanumericOnly(const QByteArray &text, QStringList *notes)
{
    static const QByteArray set = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
    QByteArray kept;
    for (char c : text)
        if (set.contains(c))
            kept += c;
    if (kept.size() < text.size())
        notes->append(QStringLiteral("QR data \"%1\" has characters outside the alphanumeric set; they are dropped")
                          .arg(Shown(text)));
    return kept;
}

// Manual input: a mode letter before each comma-separated segment.
void ParseManualSegments(const QByteArray &rest, QrSwitches *switches, QStringList *notes)
{
    int pos = 0;
    const int n = rest.size();
    while (pos < n) {
        const char mode = rest.at(pos);
        int count = 0;
        if (mode == 'B' && pos + 5 <= n && ParseNumber(rest.mid(pos + 1, 4), 10, &count)) {
            const int available = n - (pos + 5);
            if (count > available)
                notes->append(QStringLiteral("QR byte count %1 exceeds the %2 bytes that follow")
                                  .arg(count).arg(available));
            count = qMin(count, available);
            switches->segments.push_back({QrSegment::Byte, rest.mid(pos + 5, count)});
            pos += 5 + count;
        } else if (mode == 'N' || mode == 'A' || mode == 'K') {
            int end = rest.indexOf(',', pos + 1);
            if (end < 0)
                end = n;
            const QrSegment::Mode kind = mode == 'N' ? QrSegment::Numeric
                                         : mode == 'A' ? QrSegment::Alphanumeric : QrSegment::Kanji;
            QByteArray text = rest.mid(pos + 1, end - pos - 1);
            if (kind == QrSegment::Alphanumeric)
                text = AlphanumericOnly(text, notes);
            switches->segments.push_back({kind, text});
            pos = end;
        } else {
            notes->append(QStringLiteral("QR manual input needs a character mode (N, A, Bxxxx or K) "
                                         "before \"%1\"; encoded automatically").arg(Shown(rest.mid(pos))));
            switches->segments.push_back({QrSegment::Automatic, rest.mid(pos)});
            return;
        }
        if (pos < n && rest.at(pos) == ',')
            ++pos;
    }
}

} // namespace

QrSwitches ParseQrSwitches(const QByteArray &data, QStringList *notes)
{
    QrSwitches switches;
    const int start = ParseStructuredAppend(data, &switches, notes);
    const QByteArray body = data.mid(start);
    // Printers take the first three characters as the switches whatever
    // they are: ^FDABCDEFGH encodes DEFGH at level H.
    if (body.size() < 3 || body.at(2) != ',')
        notes->append(QStringLiteral("QR field data does not start with the error correction and input "
                                     "switches (such as \"QA,\"); its first three characters are taken as them"));
    switches.ecLevel = body.isEmpty() ? 'H' : body.at(0);
    if (!QByteArray("HQML").contains(switches.ecLevel)) {
        notes->append(QStringLiteral("QR error correction \"%1\" is not H, Q, M or L; H used")
                          .arg(Shown(body.left(1))));
        switches.ecLevel = 'H';
    }
    const char input = body.size() > 1 ? body.at(1) : 'A';
    if (input != 'A' && input != 'M')
        notes->append(QStringLiteral("QR input \"%1\" is not A or M; automatic input used")
                          .arg(Shown(body.mid(1, 1))));
    switches.manual = input == 'M';
    if (switches.manual)
        ParseManualSegments(body.mid(3), &switches, notes);
    else
        switches.segments.push_back({QrSegment::Automatic, body.mid(3)});
    return switches;
}

} // namespace zpl
