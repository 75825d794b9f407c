#pragma once

// Code 128 at the codeword level: the three subsets, the automatic choice of
// subsets, the mod-103 check and the bar patterns. The ^BC field's modes and
// invocation codes sit on top of this (Code128Field.h).

#include "Symbol.h"

#include <QByteArray>

#include <vector>

namespace zpl::code128 {

enum Subset { A, B, C };

enum Value {
    Fnc3 = 96, Fnc2 = 97, Shift = 98, CodeC = 99, CodeB = 100, CodeA = 101, Fnc1 = 102,
    StartA = 103, StartB = 104, StartC = 105, Stop = 106,
};
// Fnc4 is CodeA's value in subset A and CodeB's in subset B.
inline int Fnc4(Subset subset) { return subset == A ? CodeA : CodeB; }

// The value of byte `c` in subset A or B, or -1 when that subset lacks it.
int CharValue(Subset subset, unsigned char c);

// Appends byte `c` in subset A or B the way it fits: itself, after a SHIFT
// into the other subset, or as FNC4 plus the byte less 128. False when none fits.
bool AppendChar(Subset subset, unsigned char c, std::vector<int> *codewords);

// An item of automatic input: a byte 0-255, or kFnc1Item.
constexpr int kFnc1Item = -1;
// The fewest codewords for `items`, start code first: digit pairs in subset
// C, switching or shifting between subsets where that is shorter.
std::vector<int> EncodeAutomatic(const std::vector<int> &items);

// The mod-103 check value of `codewords` (start code first).
int CheckValue(const std::vector<int> &codewords);

// The bars for `codewords` (start code first) followed by their check value
// and the stop pattern, each module `moduleWidth` dots wide.
LinearSymbol Bars(const std::vector<int> &codewords, int moduleWidth);

} // namespace zpl::code128
