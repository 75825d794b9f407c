#pragma once

// ^BC: Code 128. Parameters after the orientation: h bar height (dots,
// default the ^BY height), f interpretation line (Y), g line above (N),
// e UCC check digit (N), m mode:
//  N  no mode: subset B unless the data starts with >9 (A), >: (B) or >; (C);
//     the invocation codes >< >0 >= >1 ... >8 stand for codewords; digits in
//     subset C go in pairs (anything else there switches to B, with a note);
//  U  UCC case: 19 digits (cut, or padded with zeros on the right), FNC1,
//     subset C and a mod-10 check digit; printed as "(00) 123...";
//  A  automatic: the data as it is, with the fewest codewords;
//  D  UCC/EAN: FNC1 first; parentheses and spaces are printed, not encoded;
//     the check digit of AI 00, 01 or 02 is added when one digit short; >8 and
//     the end of a variable-length field give FNC1.
// e = Y appends the mod-10 check digit of all-digit data in modes N and A.
// The module width is the ^BY width; the text is the line as printed: no
// invocation codes, no mod-103 check.

#include "BarcodeField.h"

namespace zpl {

BarcodeResult EncodeCode128Field(const BarcodeRequest &request);

// The GS1 mod-10 check digit of `digits` (weights 3, 1, ... from the right).
char Mod10CheckDigit(const QByteArray &digits);

} // namespace zpl
