#pragma once

// Reads a ^B command's parameters the way a printer does: an empty or missing
// parameter takes its default, and a bad one takes its default too, with a
// note that names the parameter and the value that was refused.

#include "BarcodeField.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace zpl {

class FieldParams
{
public:
    // `notes` receives the diagnostics; it must outlive this object.
    FieldParams(const QList<QByteArray> &params, QStringList *notes);

    // The parameter at `index` with blanks trimmed; empty when absent.
    QByteArray text(int index) const;
    // A number's integer part in [low, high]; `fallback` when empty or refused.
    int number(int index, const QByteArray &name, int fallback, int low, int high) const;
    // Y or N (either case); `fallback` when empty or refused.
    bool flag(int index, const QByteArray &name, bool fallback) const;
    // One of the letters in `allowed` (upper-cased); `fallback` when empty or refused.
    char letter(int index, const QByteArray &name, char fallback, const char *allowed) const;

    // A linear symbol's h, f, g at `index`, `index` + 1, `index` + 2: the bar
    // height (default `height`), the interpretation line and above (Y and N
    // unless the symbology's defaults differ).
    void readHeightAndLine(int index, const char *symbology, int height, BarcodeResult *result,
                           bool lineByDefault = true, bool aboveByDefault = false) const;

private:
    void refuse(const QByteArray &name, const QByteArray &value, const QString &used) const;

    QList<QByteArray> m_params;
    QStringList *m_notes;
};

// The digits of `data`, in order; a note when anything else was left out.
QByteArray DigitsOnly(const QByteArray &data, const char *symbology, QStringList *notes);

} // namespace zpl
