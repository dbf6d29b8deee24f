// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the number conversions with arbitrary text, and with arbitrary
// doubles taken from the input's bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "tests/support/number_text_helpers.h"

namespace {

using testing_support::Nearest15;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

void CheckValue(double value) {
    if (!std::isfinite(value)) {
        try {
            calc::FormatNumberText(value, ".");
            Require(false, "a value that is not finite was written");
        } catch (const calc::Overflow&) {
        }
        return;
    }
    if (std::isinf(Nearest15(value))) {
        // Its 15-digit form lies beyond the largest double.
        try {
            calc::RoundToHundredths(value);
            Require(false, "a value beyond the largest double was rounded");
        } catch (const calc::Overflow&) {
        }
        try {
            calc::ParseNumber(calc::FormatNumberText(value, "."));
            Require(false, "a number beyond the largest double was read");
        } catch (const calc::Overflow&) {
        }
        return;
    }
    const double rounded = calc::RoundToHundredths(value);
    Require(calc::RoundToHundredths(rounded) == rounded, "RoundToHundredths is idempotent");
    Require(std::fabs(rounded - value) <= 0.005 + 5.2e-15 * std::fabs(value),
            "RoundToHundredths stays within half a hundredth");
    for (const char* sep : {".", ","}) {
        const std::string text = calc::FormatNumberText(value, sep);
        Require(text != "-0", "no negative zero");
        Require(text.find_first_of("in") == std::string::npos, "no inf or nan");
    }
    Require(calc::ParseNumber(calc::FormatNumberText(value, ".")) == Nearest15(value),
            "the written number reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double value = calc::ParseNumber(text);
        Require(!std::isnan(value), "ParseNumber never gives nan");
        CheckValue(value);
    } catch (const calc::Overflow&) {
    }
    if (size >= sizeof(double)) {
        double bits;
        std::memcpy(&bits, data, sizeof bits);
        CheckValue(bits);
        try {
            calc::RoundToInteger(bits);
        } catch (const calc::Overflow&) {
        }
    }
    return 0;
}
