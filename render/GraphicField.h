#pragma once

// ^GFa,b,c,d,data as an image. a: A (hex, with the ASCII compression letters
// G-Y g-z and the row shortcuts , ! :, the digits one stream across rows; or
// :Z64:/:B64: base64 with its CRC),
// B (b bytes of binary). c is the image's byte count, d its bytes per row:
// the image is 8 d dots wide and c / d rows high, bit 1 = black. Decoded data
// never grows beyond c bytes. Mismatched counts, a bad CRC or bad characters
// are noted and the image is drawn as far as it goes; an image too large for
// any label, or a form we cannot read (C), gives a null image.

#include <QByteArray>
#include <QImage>
#include <QStringList>

namespace zpl {

// args: the command's parameters as received, after "^GF".
QImage DecodeGraphicField(const QByteArray &args, char delimiter, QStringList *notes);
// `image` (Format_Mono, index 1 = black) as "^GFA,b,b,r,data", the data in
// hex with the ZPL guide's compression, each row complete in itself.
QByteArray EncodeGraphicField(const QImage &image);
// CRC-16/XMODEM (polynomial 0x1021, initial 0), as ^GF's :Z64: and :B64: use.
quint16 Crc16(const QByteArray &data);

} // namespace zpl
