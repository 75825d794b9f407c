#pragma once

// The commands that change what persists in a printer across formats, one
// function each, as the command table (Commands.cpp) names them. ^PW and ^LL
// are held to the media; a ^PR ~SD ^MD ^LH or ^CI value a printer would refuse
// is noted and the last good value stays, so state holds only values a
// printer could.

#include "CommandReader.h"
#include "FieldState.h"
#include "Label.h"

namespace zpl {

void SetDefaultFont(const CommandReader &command, PrinterState &state, const Media &media);      // ^CF
void SetBarDefaults(const CommandReader &command, PrinterState &state, const Media &media);      // ^BY
void SetFieldDefaults(const CommandReader &command, PrinterState &state, const Media &media);    // ^FW
void SetLabelHome(const CommandReader &command, PrinterState &state, const Media &media);        // ^LH
void SetReverseAll(const CommandReader &command, PrinterState &state, const Media &media);       // ^LR
void SetLabelSize(const CommandReader &command, PrinterState &state, const Media &media);        // ^PW ^LL
void SetMediaTracking(const CommandReader &command, PrinterState &state, const Media &media);    // ^MN
void SetInvert(const CommandReader &command, PrinterState &state, const Media &media);           // ^PO
void SetPrintRate(const CommandReader &command, PrinterState &state, const Media &media);        // ^PR
void SetDarkness(const CommandReader &command, PrinterState &state, const Media &media);         // ~SD
void SetMediaDarkness(const CommandReader &command, PrinterState &state, const Media &media);    // ^MD
void SetCodePage(const CommandReader &command, PrinterState &state, const Media &media);         // ^CI

} // namespace zpl
