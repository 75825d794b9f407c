#pragma once

// POST /v1/fonts: a TrueType font file as the multipart/form-data part
// "file", and optionally the part "path", where a printer is to keep it, such
// as E:NAME.TTF. Answered, as text/plain, with the ~DU download that stores it
// there: "~DUE:NAME.TTF,{size},{hex}", after which a label's
// ^A@N,50,50,E:NAME.TTF prints with it. Without "path" it goes to drive E:
// under the upload's file name, upper-cased, with .TTF; a path without a
// drive goes to E: too. A file that is not a TrueType font (its first four
// bytes 00 01 00 00 or "true", and readable as a font) is refused, as is a
// path that no printer's memory takes.

#include "LabelService.h"

ServiceAnswer AnswerFontUpload(const ServiceRequest &request);
