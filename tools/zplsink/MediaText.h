#pragma once

// Media sizes as people type them: "4x6in", "100x150mm", "101.6x152.4mm",
// and the resolutions printers are made with.

#include "Label.h"

#include <QString>

// True for 6, 8, 12 and 24 dots per mm (152, 203, 300 and 600 dpi).
bool IsPrinterDpmm(int dpmm);
// Sets the width and length of *media (its dpmm must be set); false if `text`
// is no size, or one under 1 mm or over the renderer's limit at that dpmm.
bool ParseMedia(const QString &text, zpl::Media *media);
// The size back as text: whole inches as "4x6in", anything else in mm.
QString MediaText(const zpl::Media &media);
