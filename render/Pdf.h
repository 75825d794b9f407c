#pragma once

// Labels as a PDF (1.4): one page per image, each page the image's size at the
// printer's resolution, the image drawn on it whole as one 1-bit picture (no
// smoothing), dot for dot. The pictures are EncodePng()'s compressed rows,
// which PDF reads with the same PNG predictor, so a page costs about what a
// PNG does. (Qt's QPdfWriter would store the 1-bit label as 24-bit colour,
// some twenty times slower.)

#include <QByteArray>
#include <QImage>

#include <vector>

namespace zpl {

// `images` as EncodePng() takes them; `dpmm`: dots per mm of each.
QByteArray EncodePdf(const std::vector<QImage> &images, int dpmm);

} // namespace zpl
