#pragma once

// Reads one command's parameters as a printer does: an empty parameter takes
// its default; a bad one its default, with a note; a number outside its range
// is held to it, with a note. Notes go to the function given.

#include "FieldState.h"
#include "Tokenizer.h"

#include <QString>

#include <functional>
#include <optional>

namespace zpl {

// Positions and sizes in dots never exceed this.
constexpr int MaxCoordinate = 32000;

// A parameter's number as printers read it: letters before its digits are
// skipped and, for a value that cannot be negative (`unsigned_`), a minus sign
// is ignored; *oddity (when given) then says which. None without a number.
std::optional<double> ReadNumber(const QByteArray &text, bool unsigned_, QString *oddity = nullptr);

class CommandReader
{
public:
    CommandReader(const Token &token, std::function<void(const QString &)> report);

    const Token &token() const { return m_token; }
    QByteArray text(int index) const { return m_token.param(index).trimmed(); }
    int number(int index, int fallback, int low, int high) const;
    // One of the upper-case letters `choices`; empty or another: the first
    // (another with a note).
    char letter(int index, const char *choices) const;
    // N, R, I or B; empty: `fallback`.
    Rotation rotation(const QByteArray &letter, Rotation fallback) const;
    void note(const QString &text) const { m_report(text); }

private:
    const Token &m_token;
    std::function<void(const QString &)> m_report;
};

} // namespace zpl
