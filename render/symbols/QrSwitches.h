#pragma once

// The switches at the head of a ^BQ field's data:
//   [D<cc><nn><pp>,]<EC><input>,<data>
// D starts a structured append header: this symbol's number cc (01-16) of nn
// symbols, pp the parity byte in hex. EC is H, Q, M or L. input A is
// automatic; input M (manual) puts a character mode before each segment: N
// numeric, A alphanumeric, Bxxxx that many bytes, K Kanji; segments are
// separated by commas.
// Parsing never fails: the first three characters are the switches whatever
// they are, a level that is none is H, and what does not fit the manual
// grammar becomes an automatic segment, with a note.

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace zpl {

struct QrSegment {
    enum Mode { Automatic, Numeric, Alphanumeric, Byte, Kanji };
    Mode mode = Automatic;
    QByteArray data;
};

struct QrSwitches {
    char ecLevel = 'Q';                 // H, Q, M or L
    bool manual = false;
    int sequence = 0, sequenceCount = 0; // structured append, 1-based; count 0: a lone symbol
    int parity = 0;
    std::vector<QrSegment> segments;
};

QrSwitches ParseQrSwitches(const QByteArray &data, QStringList *notes);

} // namespace zpl
