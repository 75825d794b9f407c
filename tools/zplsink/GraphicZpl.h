#pragma once

// POST /v1/graphics: an image (PNG, JPEG, BMP or GIF, as QImageReader reads
// them) as the multipart/form-data part "file", answered with the ZPL that
// prints it, "^XA^FO0,0^GFA,b,b,r,data^FS^XZ" as text/plain. A dot is black
// where the image's luminance (ITU-R BT.601: 0.299 R + 0.587 G + 0.114 B) is
// below 50 %, with transparency taken as white paper showing through; the
// data is compressed as EncodeGraphicField() writes it. An image wider or
// taller than 8000 dots is refused: no label the renderer prints is longer
// than that (zpl::MaxMediaDots, 15 in at 24 dots per mm cut there), so such
// a graphic could never print whole. (The ZPL guide gives ^GF's byte counts
// "Accepted Values: 1 to 99999"; the renderer reads larger ones, as the
// answers for images above about 800 x 1000 dots need.)

#include "LabelService.h"

#include <QImage>

// The image as dots: Format_Mono, index 1 = black.
QImage DotsOfImage(const QImage &image);

ServiceAnswer AnswerGraphicUpload(const ServiceRequest &request);
