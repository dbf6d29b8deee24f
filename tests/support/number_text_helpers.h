// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests and fuzz targets that check written numbers.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace testing_support {

// Expected texts use '%' for the decimal separator.
inline std::string WithSeparator(const std::string& pattern, const std::string& separator) {
    std::string out;
    for (char c : pattern) out += c == '%' ? separator : std::string(1, c);
    return out;
}

// The double nearest to the value's 15-significant-digit form; infinite
// when that form lies beyond the largest double.
inline double Nearest15(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", value);
    return std::strtod(text, nullptr);
}

}  // namespace testing_support
