// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/support/number_text_helpers.h"

namespace calc {
namespace {

using testing_support::WithSeparator;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A long text shown by its start and length.
std::string Shown(const std::string& text) {
    if (text.size() <= 60) return '"' + text + '"';
    return '"' + text.substr(0, 30) + "...\" (" + std::to_string(text.size()) + " characters)";
}

struct ParseCase {
    std::string text;
    double expected;
};

TEST(ParseNumber, ReadsTheLeadingNumber) {
    const ParseCase cases[] = {
        {"170", 170},
        {"1.7e2", 170},
        {"175см", 175},
        {"1,75", 1},  // the comma ends the number
        {"72.5", 72.5},
        {"", 0},
        {"abc", 0},
        {"см", 0},
        {"1 7 0", 170},
        {"\t7\n2 ", 72},
        {"- 5", -5},
        {"+5", 5},
        {".5", 0.5},
        {"5.", 5},
        {"1.2.3", 1.2},
        {"+-1", 0},
        {"-", 0},
        {".", 0},
        {"1e", 1},
        {"1e+", 1},
        {"1e-", 1},
        {"2d3", 2000},
        {"2D-1", 0.2},
        {"2E+1x", 20},
        {"e5", 0},
        {"9e9", 9e9},
        {"007", 7},
        {"1e-999", 0},
        // Too small for a double, but not so small that reading stops early.
        {"2.4e-324", 0},
        {"1e-329", 0},
        {"2.5e-324", std::numeric_limits<double>::denorm_min()},
        {"1.5E-6", 1.5e-6},
        {"1.23456789012345E+15", 1.23456789012345e15},
        {"0." + std::string(399, '0') + "1e400", 1},
        {"\r72", 0},  // only spaces, tabs and line feeds are skipped
        {"&H1F", 31},
        {"&h1f", 31},
        {"&HFFFF", 65535},
        {"&O17", 15},
        {"&o8", 0},
        {"&H", 0},
        {"&O", 0},
        {"&HG", 0},
        {"& H10", 16},
        {"&", 0},
        {"&X1", 0},
        {"&H-1", 0},
        {"&H" + std::string(20, 'F'), 1208925819614629174706175.0},
        {"&ha", 10},
        {"&HA", 10},
        {"&o7", 7},
        {"1H", 1},
        {"1.5d1", 15},
        // Leading zeros count however many there are, and so do the
        // exponent's digits.
        {"0." + std::string(10'000'000, '0') + "1e10000005", 10000},
        {"1" + std::string(10'000'000, '0') + "e-10000000", 1},
        // Exactly halfway between two doubles goes to the even one; a
        // non-zero digit however far down tips it.
        {"9007199254740993", 9007199254740992.0},
        {"9007199254740993." + std::string(900, '0') + "1", 9007199254740994.0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseNumber(c.text), c.expected) << Shown(c.text);
}

TEST(ParseNumber, KeepsTheSignOfZero) {
    const struct {
        std::string text;
        bool negative;
    } cases[] = {
        {"-0", true}, {"-1e-999", true}, {"-1e-329", true},
        {"0", false}, {"-", false},      {"-x", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseNumber(c.text), 0) << c.text;
        EXPECT_EQ(std::signbit(ParseNumber(c.text)), c.negative) << c.text;
    }
}

TEST(ParseNumber, TooLargeForADoubleOverflows) {
    const std::string cases[] = {
        "1e999",
        "-1e999",
        "1e99999999999999999999",
        "1" + std::string(400, '0'),
        "&H" + std::string(300, 'F'),
        "&O" + std::string(400, '7'),
        "0." + std::string(10'000'000, '0') + "1e10000310",
    };
    for (const auto& text : cases) EXPECT_THROW(ParseNumber(text), Overflow) << Shown(text);
}

TEST(RoundToInteger, HalvesGoToEvenAndTheRangeIsSixteenBits) {
    const struct {
        double value;
        int expected;
    } cases[] = {
        {70.5, 70},     {71.5, 72},       {39.5, 40},         {40.5, 40},       {41.5, 42},
        {-0.5, 0},      {-1.5, -2},       {-2.5, -2},         {72.4, 72},       {72.6, 73},
        {32767, 32767}, {32767.4, 32767}, {-32768.5, -32768}, {-32768, -32768},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToInteger(c.value), c.expected) << c.value;
}

TEST(RoundToInteger, OutOfRangeOverflows) {
    for (double v : {32767.5, 32768.0, -32768.6, -32769.0, 9e9, -9e9, kInf, -kInf, kNaN})
        EXPECT_THROW(RoundToInteger(v), Overflow) << v;
}

TEST(RoundToHundredths, HalvesAwayFromZeroOnTheFifteenDigitForm) {
    const struct {
        double value;
        double expected;
    } cases[] = {
        {2.675, 2.68},
        {1.005, 1.01},
        {64.125, 64.13},
        {-0.125, -0.13},
        {0.7 * 170 - 50, 69},
        {18.4997, 18.5},
        {24.996, 25},
        {63.75, 63.75},
        {0.005, 0.01},
        {0.0049, 0},
        {123456789012.345, 123456789012.35},
        {1e20, 1e20},
        {-1e20, -1e20},
        {1.23456789012345678e14, 123456789012346},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToHundredths(c.value), c.expected) << c.value;
}

TEST(RoundToHundredths, NeverGivesNegativeZero) {
    for (double v : {-0.0, -0.001, -0.0049, -1e-300}) {
        EXPECT_EQ(RoundToHundredths(v), 0) << v;
        EXPECT_FALSE(std::signbit(RoundToHundredths(v))) << v;
    }
}

TEST(RoundToHundredths, NotFiniteOrBeyondTheLargestDoubleOverflows) {
    constexpr double kMax =
        std::numeric_limits<double>::max();  // 1.79769313486232E+308 in 15 digits
    for (double v : {kInf, -kInf, kNaN, kMax, -kMax})
        EXPECT_THROW(RoundToHundredths(v), Overflow) << v;
    EXPECT_EQ(RoundToHundredths(1.79769313486231e308), 1.79769313486231e308);
}

TEST(Difference, DropsCancellationNoiseBeyondTheOperandsDigits) {
    const struct {
        double minuend, subtrahend, expected;
    } cases[] = {
        {70.4, 63.75, 6.65},
        {6.7, 6.65, 0.05},
        {80, 65.45, 14.55},
        {72, 69, 3},
        {0.3, 0.1, 0.2},
        {1e-300, 5e-301, 5e-301},
        {1e20, 1, 1e20 - 1},
        {5, 5, 0},
        {63.75000000000001, 63.75, 0},  // equal in their 15 digits
        {63.75, 70.4, -6.65},
        {12345678901234.5, 0.25, 12345678901234.2},  // one decimal left
    };
    for (const auto& c : cases)
        EXPECT_EQ(Difference(c.minuend, c.subtrahend), c.expected)
            << c.minuend << " - " << c.subtrahend;
    EXPECT_THROW(Difference(1.797e308, -1e308), Overflow);
}

class FormatNumberText : public testing::TestWithParam<std::string> {};

TEST_P(FormatNumberText, WritesAtMostFifteenDigitsWithTheSeparator) {
    const std::string& sep = GetParam();
    const struct {
        double value;
        std::string expected;
    } cases[] = {
        {69, "69"},
        {0.7 * 170 - 50, "69"},
        {63.75, "63%75"},
        {63.5, "63%5"},
        {65.0, "65"},
        {80 - 65.45, "14%55"},
        {0.5, "0%5"},
        {-0.5, "-0%5"},
        {-50, "-50"},
        {110, "110"},
        {0, "0"},
        {-0.0, "0"},
        {123456789.123456789, "123456789%123457"},
        {999999999999999, "999999999999999"},
        {1e15, "1E+15"},
        {1.5e15, "1%5E+15"},
        {-1.7e308, "-1%7E+308"},
        {1e-5, "0%00001"},
        {9.5e-6, "9%5E-6"},
        {-2.5e-7, "-2%5E-7"},
        {1e-300, "1E-300"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calc::FormatNumberText(c.value, sep), WithSeparator(c.expected, sep)) << c.value;
}

TEST_P(FormatNumberText, NotFiniteOverflows) {
    for (double v : {kInf, -kInf, kNaN})
        EXPECT_THROW(calc::FormatNumberText(v, GetParam()), Overflow);
}

INSTANTIATE_TEST_SUITE_P(Separators, FormatNumberText, testing::Values(".", ","),
                         [](const auto& info) { return info.param == "." ? "FullStop" : "Comma"; });

TEST(FormatNumberText, ParseNumberReadsBackTheExponentForm) {
    for (double v : {1e15, 1.5e15, -1.7e308, 9.5e-6, -2.5e-7, 1e-300, 1.23456789012345e20}) {
        const std::string text = calc::FormatNumberText(v, ".");
        EXPECT_EQ(ParseNumber(text), v) << text;
    }
}

}  // namespace
}  // namespace calc
