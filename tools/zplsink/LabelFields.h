#pragma once

// The web service's answer to Accept: application/json: the text fields of
// each label, {"labels":[{"fields":[{"x":50,"y":50,"data":"..."}]}]}, labels
// in the job's order and fields in the order the job gave them. x and y are
// the dots where the field's origin is, as ^FO or ^FT gave it (^LH added),
// not where its ink falls; data is the text after ^FH and ^CI decoding.
//
// Only text fields count. A barcode's data is what its symbol encodes, not
// words on the label: for many symbologies it carries mode and switch
// characters (QR's "QA,", Code 128's ">:" subsets) that a reader of the JSON
// would have to strip, and the interpretation line under the bars repeats
// it. A client that wants the barcodes reads the ZPL it sent.

#include "Label.h"

#include <QByteArray>

#include <vector>

QByteArray LabelFieldsJson(const std::vector<const zpl::Label *> &labels);
