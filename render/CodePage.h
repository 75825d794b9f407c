#pragma once

// Field data as characters: ^FH hex escapes, then the ^CI code page.
// ^CI 0-12 are code page 850 with national characters in place of some ASCII
// ones, 13 is code page 850, 27 is code page 1252, 28 is UTF-8. Others are
// read as 850 (the interpreter says so).

#include <QByteArray>
#include <QString>

namespace zpl {

bool IsKnownCodePage(int page);
QString DecodeFieldData(const QByteArray &bytes, int page);
// `_hh` (with the ^FH indicator) becomes the byte hh; an incomplete escape stays as it is.
QByteArray DecodeHex(const QByteArray &data, char indicator);

} // namespace zpl
