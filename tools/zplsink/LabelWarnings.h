#pragma once

// X-Linter: On: the renderer's notes on the labels answered, as the header
// X-Warnings: each note as "byte offset|byte length|command|parameter|message",
// the notes joined by "|", at most MaxWarningsBytes, the rest counted in a last
// note. Characters that would break the format or the header are replaced.

#include "Label.h"

#include <QByteArray>

#include <vector>

QByteArray LabelWarnings(const std::vector<const zpl::Label *> &labels, const QByteArray &job);
