#pragma once

// The web service's PDF pages on paper: the X-Page-Size (Letter, Legal, A4,
// A5, A6), X-Page-Orientation (Portrait, Landscape), X-Page-Layout
// ({columns}x{rows} labels a page, 1x1 unless given), X-Page-Align (Left,
// Right, Center, Justify; Center unless given), X-Page-Vertical-Align (Top,
// Bottom, Center, Justify; Center unless given) and X-Label-Border (Dashed,
// Solid, None; Dashed unless given) headers as a zpl::PdfSheet. Names are
// taken in any case. Without X-Page-Size the others change nothing: each page
// stays its label's size. Labels keep their physical size on the paper, so a
// label or a grid of labels larger than the page is refused, not shrunk.

#include "LabelService.h"
#include "Pdf.h"

#include <QString>

// The sheet the headers ask for (its cell still empty). False with *error,
// naming the header and the values it takes, when one of them is not valid.
bool PageSheetOf(const ServiceRequest &request, zpl::PdfSheet *sheet, QString *error);

// Gives the sheet its cell, the largest label in points; false with *error
// when the labels do not fit on its page as laid out.
bool FitOnSheet(zpl::PdfSheet *sheet, QSizeF cell, QString *error);
