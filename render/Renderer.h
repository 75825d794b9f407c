#pragma once

// The ZPL renderer: bytes in, labels out, as a 203 dpi printer would print them.
//
//   Printer printer;                        // one virtual printer, at power-up
//   for (chunk : connection) labels = printer.feed(chunk);   // each ^XZ gives a Label
//   labels = printer.finish();              // end of the job
//   SavePng(label, "label.png", &error);    // 1 pixel = 1 dot, black and white
//
// Nothing in a job stops it: an unknown or malformed command is skipped and
// listed in the label's diagnostics. Every count and size is bounded: the
// image never exceeds the media, ^PQ is a number, ^FD keeps 3072 bytes.
// Text needs a QGuiApplication (fonts); without a display, run it offscreen.

#include "Label.h"
#include "Png.h"
#include "Printer.h"

#include <QImage>
#include <QString>

#include <vector>

namespace zpl {

// A whole job on a fresh printer.
std::vector<Label> RenderJob(const QByteArray &job, Media media = {});
// The label's image: 1 px = 1 dot, Format_Mono, index 1 = black.
QImage Paint(const Label &label);
// Paint() saved as a 1-bit PNG; false with *error (when given) if it cannot be written.
bool SavePng(const Label &label, const QString &path, QString *error = nullptr);

} // namespace zpl
