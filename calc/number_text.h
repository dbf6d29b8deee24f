// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between the texts the user types or reads and the numbers the
// methods compute with. Every method goes through these, so what the user sees
// is decided here once.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace calc {

// A number that does not fit where it must go: a rounded whole number outside
// the signed 16-bit range, a text too large for a double, or a computed value
// that is not finite. The method that meets it stops where it is.
class Overflow : public std::overflow_error {
public:
    Overflow() : std::overflow_error("number out of range") {}
};

// Reads the leading number of free text: spaces, tabs and line feeds are
// ignored anywhere; an optional sign, digits, an optional "." fraction and an
// optional exponent (E, e, D or d). "&H" and "&O" introduce hexadecimal and
// octal whole numbers. Reading stops at the first character that does not fit;
// text with no leading number reads as 0. Throws Overflow when the number is
// too large for a double.
double ParseNumber(std::string_view text);

// Nearest whole number, halves to the even neighbour. Throws Overflow outside
// -32768..32767 or for a value that is not finite.
std::int16_t RoundToInteger(double value);

// Two decimals, halves away from zero, decided on the value's
// 15-significant-digit form (the form FormatNumberText shows), so 2.675 gives
// 2.68 and 68.99999999999999 gives 69. Never returns -0. Throws Overflow for a
// value that is not finite, or whose 15-digit form lies beyond the largest
// double.
double RoundToHundredths(double value);

// At most 15 significant digits, no trailing zeros, no digit grouping, the
// given decimal separator; magnitudes from 1e15 and below 1e-5 in exponent
// form ("1.5E+15"). Zero is always "0". Throws Overflow for a value that is
// not finite.
std::string FormatNumberText(double value, std::string_view decimalSeparator);

// minuend - subtrahend, kept to the 15 significant digits of the larger of
// the two: 70.4 - 63.75 is 6.65, not the 6.65000000000001 that the bare
// double difference would show. Throws Overflow when it is not finite.
double Difference(double minuend, double subtrahend);

// Returns the value, or throws Overflow when it is not finite.
double Finite(double value);

// The parts one after another: the texts the program composes, each made
// once rather than of a chain of temporary strings.
std::string Joined(std::initializer_list<std::string_view> parts);

}  // namespace calc
