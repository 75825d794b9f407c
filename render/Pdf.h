#pragma once

// Labels as a PDF (1.4): one page per image, each page the image's size at the
// printer's resolution, the image drawn on it whole as one 1-bit picture (no
// smoothing), dot for dot. The pictures are EncodePng()'s compressed rows,
// which PDF reads with the same PNG predictor, so a page costs about what a
// PNG does. (Qt's QPdfWriter would store the 1-bit label as 24-bit colour,
// some twenty times slower.)

#include <QByteArray>
#include <QImage>

#include <functional>

namespace zpl {

// `pages` pages, page i from `image(i)` (as EncodePng() takes it), asked for
// in turn, so that only one image is held at a time; `dpmm`: dots per mm.
QByteArray EncodePdf(int pages, int dpmm, const std::function<QImage(int)> &image);

} // namespace zpl
