#pragma once

// ^MUa,b,c: the units of measure a format's positions and sizes are given in.
// a: D dots (default), I inches, M millimetres, which convert at the
// printer's dots per mm; b and c (format and printer dots per inch, 150 200
// 300 600) scale dot values by c / b. Persists, like the other settings.
// ToDots() rewrites the parameters of a command that are lengths (the
// command table, Commands.cpp, says which) into whole dots, so that the
// interpreter reads dots whatever the units were.

#include "Tokenizer.h"

#include <QList>
#include <QString>

#include <functional>

namespace zpl {

struct Units
{
    char unit = 'D';
    double scale = 1.0;     // dots per unit
    bool identity() const { return unit == 'D' && scale == 1.0; }
};

class CommandReader;
// Reads ^MU into `units`; notes go through the reader.
void ApplyUnits(const CommandReader &command, Units &units, int dpmm);
// `token` with its parameters `measured` (indices) in dots; unchanged under identity units.
Token ToDots(const Token &token, const Units &units, const QList<int> &measured,
             const std::function<void(const QString &)> &report);

} // namespace zpl
