// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests and fuzz targets that check written numbers.
#pragma once

#include <stdlib.h>

#include <string>

#include "calc/decimal_chars.h"
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
    return strtod_l(calc::WriteScientific(value, 14).c_str(), nullptr, CLocale());
}

}  // namespace testing_support
