#pragma once

// The commands that change what persists in a printer across formats: ^BY
// ^CF ^FW ^LH ^LR ^PW ^LL ^MN ^PO ^PR ~SD ^MD ^CI. ^PW and ^LL are held to the
// media; a ^PR ~SD ^MD ^LH or ^CI value a printer would refuse is noted and
// the last good value stays, so state holds only values a printer could.

#include "CommandReader.h"
#include "FieldState.h"
#include "Label.h"

namespace zpl {

// Applies the command to `state`; false when it is not one of these.
bool ApplySetting(const CommandReader &command, PrinterState &state, const Media &media);

} // namespace zpl
