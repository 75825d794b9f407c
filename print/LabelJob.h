#pragma once

#include <QString>

// The two forms of the label job: one label on the parallel port, two over
// the network. They differ only in the print quantity.
enum class LabelVariant { Parallel, Network };

// The ZPL text of one label job: the print rate, the darkness `darkness` as it
// stands, then `labelText` upper-cased, as a QR code and as large plain text.
// Nothing is escaped: a "^" or "~" in either input reaches the printer as a
// command. Pure: no I/O.
QString ComposeLabelJob(const QString &darkness, const QString &labelText, LabelVariant variant);
