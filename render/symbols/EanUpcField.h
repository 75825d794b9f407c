#pragma once

// The EAN/UPC family, modules the ^BY width, guard bars (and UPC-A's outer
// digits) flagged to reach lower. Data is digits: others are skipped, short
// data is padded with zeros on the left and long data cut, each with a note;
// the check digit is always computed (a different one given is replaced,
// with a note). The line shows every digit, check included, each in the
// place of its symbol character (LinearSymbol::places).
//  ^BE EAN-13: h, f, g after the orientation; 12 digits.
//  ^B8 EAN-8:  h, f, g; 7 digits.
//  ^BU UPC-A:  h, f, g, e (print the check digit, Y); 11 digits.
//  ^B9 UPC-E:  h, f, g, e (Y); 10 digits, the manufacturer and product of a
//              number system 0 UPC-A, zero-suppressed; a note when they cannot be.
//  ^BS UPC/EAN extension: h, f, g (above: Y); 2 or 5 digits, the add-on
//              alone (place it beside its EAN/UPC symbol with its own ^FO).

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeEan13Field(const BarcodeRequest &request);
BarcodeResult EncodeEan8Field(const BarcodeRequest &request);
BarcodeResult EncodeUpcAField(const BarcodeRequest &request);
BarcodeResult EncodeUpcEField(const BarcodeRequest &request);
BarcodeResult EncodeUpcEanExtensionField(const BarcodeRequest &request);

} // namespace zpl
