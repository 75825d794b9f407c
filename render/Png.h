#pragma once

// A black-and-white image as a 1-bit PNG (palette: 0 white, 1 black), its rows
// compressed as runs of one byte: labels are mostly white, so this is small
// and many times quicker than a general-purpose PNG writer.

#include <QByteArray>
#include <QImage>

namespace zpl {

// `image` in Format_Mono with index 1 = black (as Paint() gives); any other
// format is converted first.
QByteArray EncodePng(const QImage &image);

} // namespace zpl
