// SPDX-License-Identifier: GPL-3.0-or-later
// Properties of the number conversions over many random values and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "calc/number_text.h"
#include "tests/support/number_text_helpers.h"

namespace calc {
namespace {

using testing_support::Nearest15;

constexpr int kSamples = 200000;

// Doubles of every kind: any finite bit pattern, ordinary measurements,
// exact hundredths, and values a hair either side of a half hundredth.
std::vector<double> RandomDoubles() {
    std::mt19937_64 random(20261208);
    std::vector<double> values;
    using limits = std::numeric_limits<double>;
    for (double edge : {limits::max(), limits::min(), limits::denorm_min(), limits::epsilon(),
                        std::nextafter(limits::max(), 0.0), 1.79769313486231e308, 0.005, 0.015,
                        1e15, 999999999999999.5, 1e-5, 9.999999999999999e-6})
        values.insert(values.end(), {edge, -edge});
    std::uniform_real_distribution<double> measurement(-1000, 1000);
    std::uniform_int_distribution<long long> hundredths(-10'000'000, 10'000'000);
    while (values.size() < kSamples) {
        const std::uint64_t pattern = random();
        double bits;  // std::bit_cast, which LLVM's libc++ 13 lacks
        std::memcpy(&bits, &pattern, sizeof bits);
        if (std::isfinite(bits)) values.push_back(bits);
        values.push_back(measurement(random));
        const double h = hundredths(random) / 100.0;
        values.push_back(h);
        const double half = h + 0.005;
        values.push_back(std::nextafter(half, 1e300));
        values.push_back(std::nextafter(half, -1e300));
    }
    return values;
}

int SignificantDigits(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == 'E') break;
        if (c >= '0' && c <= '9') digits += c;
    }
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? 0 : int(digits.size() - first);
}

TEST(FormatNumberTextProperty, ShortWellFormedAndReadBack) {
    const std::regex shape("-?[0-9]+([.,][0-9]+)?(E[-+][0-9]+)?");
    for (double value : RandomDoubles()) {
        for (const char* sep : {".", ","}) {
            const std::string text = FormatNumberText(value, sep);
            ASSERT_TRUE(std::regex_match(text, shape)) << text;
            ASSERT_LE(SignificantDigits(text), 15) << text;
            ASSERT_NE(text, "-0");
            ASSERT_EQ(text.find_first_of("in"), std::string::npos) << text;
        }
        // Reading it back gives the value to within the 15-digit rounding,
        // or an overflow where that rounding goes beyond the largest double.
        const std::string text = FormatNumberText(value, ".");
        if (std::isinf(Nearest15(value)))
            ASSERT_THROW(ParseNumber(text), Overflow) << text;
        else
            ASSERT_EQ(ParseNumber(text), Nearest15(value)) << text;
    }
}

TEST(RoundToHundredthsProperty, IdempotentAndClose) {
    for (double value : RandomDoubles()) {
        if (std::isinf(Nearest15(value))) {
            ASSERT_THROW(RoundToHundredths(value), Overflow) << value;
            continue;
        }
        const double rounded = RoundToHundredths(value);
        ASSERT_EQ(RoundToHundredths(rounded), rounded) << value;
        ASSERT_FALSE(std::signbit(rounded) && rounded == 0) << value;
        const double allowed = 0.005 + 5.2e-15 * std::fabs(value);
        ASSERT_LE(std::fabs(rounded - value), allowed) << value;
    }
}

TEST(ParseNumberProperty, AnyTextGivesANumberOrAnOverflow) {
    std::mt19937_64 random(8122026);
    const std::string common = "0123456789.,+-eEdD&HhOo \t\n\r";
    std::uniform_int_distribution<int> length(0, 64), byte(0, 255), pick(0, int(common.size()) - 1);
    int overflows = 0;
    for (int i = 0; i < kSamples; ++i) {
        std::string text;
        const int n = length(random);
        for (int k = 0; k < n; ++k)
            text += random() % 4 ? common[pick(random)] : char(byte(random));
        try {
            ASSERT_TRUE(std::isfinite(ParseNumber(text))) << text;
        } catch (const Overflow&) {
            ++overflows;
        }
    }
    EXPECT_GT(overflows, 0);  // the texts did reach beyond a double
}

}  // namespace
}  // namespace calc
