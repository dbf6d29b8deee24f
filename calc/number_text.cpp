// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "calc/decimal_chars.h"

namespace calc {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Whole number after "&H" or "&O". Accumulated exactly while it fits in 64
// bits, then in double precision, so any length of text stays safe.
double ParseRadix(std::string_view digits, int radix) {
    std::uint64_t exact = 0;
    double value = 0;
    bool inexact = false;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= radix) break;
        if (!inexact && exact <= (std::numeric_limits<std::uint64_t>::max() - d) / radix) {
            exact = exact * radix + d;
            continue;
        }
        if (!inexact) {
            value = static_cast<double>(exact);
            inexact = true;
        }
        value = value * radix + d;
    }
    return Finite(inexact ? value : static_cast<double>(exact));
}

// Significant digits a text may need to decide how a double rounds: no
// halfway point between two doubles has more than 767. The digits beyond
// are only asked whether any of them is non-zero.
constexpr std::size_t kDecisiveDigits = 800;

// Past this the exponent's digits are only counted: no text in memory has
// 10^17 digits, so the value is out of range either way.
constexpr long long kExponentLimit = 100'000'000'000'000'000;

std::string IntegerText(long long value) {
    char buffer[24];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
}

// The double nearest to [-]0.digits * 10^order, whatever the process
// locale. `digits` starts with a non-zero digit.
double NearestDouble(bool negative, std::string_view digits, long long order) {
    const double signedZero = negative ? -0.0 : 0.0;
    if (order > 310) throw Overflow();    // at least 10^310
    if (order < -330) return signedZero;  // nearer to 0 than to the smallest double
    std::string text = negative ? "-0." : "0.";
    text += digits;
    text += 'e';
    text += IntegerText(order);
    const double value = ReadDecimalFraction(text);
    if (std::isinf(value)) throw Overflow();
    return value;
}

// Reads [sign]digits[.digits][(E|e|D|d)[sign]digits] from the start of a
// text without spaces, in one pass: the leading zeros are counted, not
// kept, and the exponent saturates, so a text of any length is read right.
double ReadDecimal(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::string digits;  // from the first non-zero digit, at most kDecisiveDigits
    bool nonZeroDropped = false;
    long long order = 0;  // the value is 0.digits * 10^order
    bool anyDigit = false;
    const auto keep = [&](char c) {
        if (digits.size() < kDecisiveDigits)
            digits.push_back(c);
        else if (c != '0')
            nonZeroDropped = true;
    };
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        anyDigit = true;
        if (digits.empty() && s[i] == '0') continue;
        keep(s[i]);
        ++order;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            anyDigit = true;
            if (digits.empty() && s[i] == '0')
                --order;
            else
                keep(s[i]);
        }
    }
    if (!anyDigit) return 0;

    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        for (; j < s.size() && IsDigit(s[j]); ++j)
            if (exponent < kExponentLimit) exponent = exponent * 10 + (s[j] - '0');
        if (negativeExponent) exponent = -exponent;
    }
    if (digits.empty()) return negative ? -0.0 : 0.0;
    // Any non-zero digit past the decisive ones only tips a value that
    // would otherwise look like an exact halfway point.
    if (nonZeroDropped) digits.push_back('1');
    return NearestDouble(negative, digits, order + exponent);
}

// The 15 significant digits of a finite value and its decimal exponent:
// value = sign * d.dddddddddddddd * 10^exponent.
struct Decimal15 {
    bool negative = false;
    std::string digits;  // exactly 15 digits, or "0" for zero
    int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
    Decimal15 d;
    if (value == 0) {
        d.digits.assign(1, '0');
        return d;
    }
    const std::string written = WriteScientific(value, 14);
    std::string_view text(written);
    if (text.front() == '-') {
        d.negative = true;
        text.remove_prefix(1);
    }
    d.digits.push_back(text[0]);
    d.digits.append(text.substr(2, 14));
    const auto e = text.find('e');
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    d.exponent);
    return d;
}

// The double nearest to [-]digits * 10^exponent. Near the largest double
// the 15-digit form can lie beyond it: that is an overflow.
double FromDecimal(bool negative, std::string_view digits, int exponent) {
    std::string text = negative ? "-" : "";
    text += digits;
    text += 'e';
    text += IntegerText(exponent);
    return ReadDecimal(text);
}

}  // namespace

double Finite(double value) {
    if (!std::isfinite(value)) throw Overflow();
    return value;
}

double ParseNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return ParseRadix(std::string_view(s).substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return ParseRadix(std::string_view(s).substr(2), 8);
    }
    return ReadDecimal(s);
}

std::int16_t RoundToInteger(double value) {
    Finite(value);
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    if (whole < -32768 || whole > 32767) throw Overflow();
    return static_cast<std::int16_t>(whole);
}

double RoundToHundredths(double value) {
    Finite(value);
    const Decimal15 d = ToDecimal15(value);
    if (d.digits == "0") return 0;
    // Number of digits at or above the hundredths place.
    const int kept = d.exponent + 3;
    if (kept >= static_cast<int>(d.digits.size())) {
        // No digit below the hundredths: the 15-digit form is the result.
        return FromDecimal(d.negative, d.digits, d.exponent - 14);
    }
    // Hundredths as a whole number (at most 15 digits), rounded half away
    // from zero on the next digit.
    long long hundredths = 0;
    for (int k = 0; k < kept; ++k) hundredths = hundredths * 10 + (d.digits[k] - '0');
    if (kept >= 0 && d.digits[kept] >= '5') ++hundredths;
    if (hundredths == 0) return 0;
    return FromDecimal(d.negative, IntegerText(hundredths), -2);
}

double Difference(double minuend, double subtrahend) {
    const double difference = Finite(minuend - subtrahend);
    const double larger = std::max(std::fabs(minuend), std::fabs(subtrahend));
    if (difference == 0 || larger == 0) return difference;
    // Decimals that the larger operand's 15 significant digits reach; the
    // double difference is noise beyond them.
    const int decimals = 14 - ToDecimal15(larger).exponent;
    if (decimals <= 0) return difference;
    // Rounded to those decimals in text, exactly.
    const double result = ReadDecimal(WriteFixed(difference, decimals));
    return result == 0 ? 0 : result;
}

std::string FormatNumberText(double value, std::string_view decimalSeparator) {
    Finite(value);
    const Decimal15 d = ToDecimal15(value);
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    if (digits == "0") return "0";

    std::string text;
    if (d.negative) text.push_back('-');
    const int e = d.exponent;
    if (e >= 15 || e < -5) {
        text += digits[0];
        if (digits.size() > 1) {
            text += decimalSeparator;
            text.append(digits, 1);
        }
        text += e < 0 ? "E-" : "E+";
        text += IntegerText(e < 0 ? -e : e);
    } else if (e >= 0) {
        const auto whole = static_cast<std::size_t>(e) + 1;
        if (digits.size() <= whole) {
            text += digits;
            text.append(whole - digits.size(), '0');
        } else {
            text.append(digits, 0, whole);
            text += decimalSeparator;
            text.append(digits, whole);
        }
    } else {
        text += '0';
        text += decimalSeparator;
        text.append(static_cast<std::size_t>(-e - 1), '0');
        text += digits;
    }
    return text;
}

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts) size += part.size();
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts) text += part;
    return text;
}

}  // namespace calc
