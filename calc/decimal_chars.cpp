// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/decimal_chars.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <version>

#if !defined(__cpp_lib_to_chars)
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#endif

namespace calc {

#if defined(__cpp_lib_to_chars)

namespace {

std::string Write(double value, std::chars_format format, int decimals) {
    // At most 309 whole digits, the point and 340 decimals for the fixed form.
    char buffer[700];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value, format, decimals).ptr};
}

}  // namespace

std::string WriteScientific(double value, int decimals) {
    return Write(value, std::chars_format::scientific, decimals);
}

std::string WriteFixed(double value, int decimals) {
    return Write(value, std::chars_format::fixed, decimals);
}

double ReadDecimalFraction(const std::string& text) {
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec ==
        std::errc::result_out_of_range) {
        // Out of range either way: beyond the largest double for a positive
        // exponent, below the smallest for a negative one.
        const bool negative = text.front() == '-';
        const bool tiny = text[text.find_first_of("eE") + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        return negative ? -value : value;
    }
    return value;
}

#else

namespace {

// The C library's conversions follow the thread's locale: this one writes
// and reads a full stop.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (c == locale_t(0)) throw std::bad_alloc();
    return c;
}

std::string Write(const char* format, double value, int decimals) {
    const locale_t previous = uselocale(CLocale());
    char buffer[700];
    const int length = snprintf(buffer, sizeof buffer, format, decimals, value);
    uselocale(previous);
    if (length < 0 || length >= int(sizeof buffer)) throw std::bad_alloc();
    return {buffer, std::size_t(length)};
}

}  // namespace

std::string WriteScientific(double value, int decimals) { return Write("%.*e", value, decimals); }

std::string WriteFixed(double value, int decimals) { return Write("%.*f", value, decimals); }

double ReadDecimalFraction(const std::string& text) {
    return strtod_l(text.c_str(), nullptr, CLocale());
}

#endif

}  // namespace calc
