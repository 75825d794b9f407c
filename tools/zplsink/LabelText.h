#pragma once

// How zplsink reports a rendered label on its console: one line naming the
// label, its size and quantity, then one indented line per diagnostic.

#include "Label.h"

#include <QString>

QString DescribeLabel(const zpl::Label &label, const QString &name);
// The line for the labels of a job beyond the renderer's limit.
QString DescribeSkipped(int count);
