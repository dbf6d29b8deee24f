// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests and fuzz targets that check written numbers.
#pragma once

#include <stdlib.h>

#include <charconv>
#include <string>

#include "tests/support/process_locale.h"

namespace testing_support {

// Expected texts use '%' for the decimal separator.
inline std::string WithSeparator(const std::string& pattern, const std::string& separator) {
    std::string out;
    for (char c : pattern) out += c == '%' ? separator : std::string(1, c);
    return out;
}

// The double nearest to the value's 15-significant-digit form; infinite
// when that form lies beyond the largest double.
// Written and read without regard to the process locale.
inline double Nearest15(double value) {
    char text[40];
    *std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific, 14).ptr = 0;
    return strtod_l(text, nullptr, CLocale());
}

}  // namespace testing_support
