// SPDX-License-Identifier: GPL-3.0-or-later
// Doubles to decimal text and back, always with a full stop and correctly
// rounded, whatever the process locale. Where the standard library has
// floating-point to_chars and from_chars they do the work; elsewhere (LLVM's
// libc++ 13 and 14, the WebAssembly build's among them) the C library does,
// under a "C" locale of its own. This is the only place that knows which.
#pragma once

#include <string>

namespace calc {

// [-]d.ddd...e±xx with `decimals` digits after the point.
std::string WriteScientific(double value, int decimals);

// [-]ddd.ddd... with `decimals` digits after the point.
std::string WriteFixed(double value, int decimals);

// The double nearest to [-]0.DIGITS e[-]EXPONENT, DIGITS starting with a
// non-zero digit: +-infinity beyond the largest double, a signed zero below
// the smallest.
double ReadDecimalFraction(const std::string& text);

}  // namespace calc
