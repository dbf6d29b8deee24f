// SPDX-License-Identifier: GPL-3.0-or-later
// Every text a person can type into a three-character box, over the
// characters that change how a number reads, in every box and for every
// method: nothing may crash, and every report must be well formed.
#include "tests/support/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "calc/number_text.h"
#include "form/form.h"
#include "form/memory_form_state.h"

namespace form {
namespace {

// An exact decimal number: digits * 10^exponent, for checking the figures
// the report shows without going through doubles.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zeros; empty for zero
    int exponent = 0;
};

void Normalize(Decimal& d) {
    const auto first = d.digits.find_first_not_of('0');
    d.digits = first == std::string::npos ? "" : d.digits.substr(first);
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
    if (d.digits.empty()) d = {};
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads what FormatNumberText writes: [-]digits[sep digits][E(+|-)digits].
Decimal ParseShown(const std::string& text, const std::string& sep) {
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') d.negative = true, ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i) d.digits += text[i];
    if (text.compare(i, sep.size(), sep) == 0) {
        for (i += sep.size(); i < text.size() && IsDigit(text[i]); ++i) {
            d.digits += text[i];
            --d.exponent;
        }
    }
    if (i < text.size() && text[i] == 'E') {
        int exponent = 0;
        std::from_chars(text.data() + i + 2, text.data() + text.size(), exponent);
        d.exponent += text[i + 1] == '-' ? -exponent : exponent;
    }
    Normalize(d);
    return d;
}

int Compare(const Decimal& a, const Decimal& b) {  // magnitudes
    const int orderA = int(a.digits.size()) + a.exponent,
              orderB = int(b.digits.size()) + b.exponent;
    if (a.digits.empty() || b.digits.empty())
        return int(!a.digits.empty()) - int(!b.digits.empty());
    if (orderA != orderB) return orderA < orderB ? -1 : 1;
    std::string x = a.digits, y = b.digits;
    const std::size_t n = std::max(x.size(), y.size());
    x.resize(n, '0');
    y.resize(n, '0');
    return x.compare(y) < 0 ? -1 : x.compare(y) > 0 ? 1 : 0;
}

// Digits of a and b lined up on a common exponent, the same length.
std::pair<std::string, std::string> Align(const Decimal& a, const Decimal& b, int& exponent) {
    exponent = std::min(a.exponent, b.exponent);
    std::string x = a.digits + std::string(a.exponent - exponent, '0');
    std::string y = b.digits + std::string(b.exponent - exponent, '0');
    const std::size_t n = std::max(x.size(), y.size()) + 1;
    x.insert(0, n - x.size(), '0');
    y.insert(0, n - y.size(), '0');
    return {x, y};
}

// |a| + |b|, or |a| - |b| when |a| >= |b|.
Decimal Magnitude(const Decimal& a, const Decimal& b, bool add) {
    int exponent = 0;
    auto [x, y] = Align(a, b, exponent);
    int carry = 0;
    for (int i = int(x.size()) - 1; i >= 0; --i) {
        int digit = (x[i] - '0') + (add ? 1 : -1) * (y[i] - '0') + carry;
        carry = digit < 0 ? -1 : digit / 10;
        x[i] = char('0' + (digit + 10) % 10);
    }
    Decimal d{false, x, exponent};
    Normalize(d);
    return d;
}

// a - b, signed.
Decimal Minus(const Decimal& a, Decimal b) {
    b.negative = !b.negative && !b.digits.empty();
    if (a.negative == b.negative) {
        Decimal sum = Magnitude(a, b, true);
        sum.negative = a.negative && !sum.digits.empty();
        return sum;
    }
    const bool aLarger = Compare(a, b) >= 0;
    Decimal difference = aLarger ? Magnitude(a, b, false) : Magnitude(b, a, false);
    difference.negative = (aLarger ? a.negative : b.negative) && !difference.digits.empty();
    return difference;
}

Decimal RoundTo15(Decimal d) {
    if (d.digits.size() <= 15) return d;
    const bool up = d.digits[15] >= '5';
    d.exponent += int(d.digits.size()) - 15;
    d.digits.resize(15);
    for (int i = 14; up && i >= 0; --i) {
        if (d.digits[i] == '9') {
            d.digits[i] = '0';
            if (i == 0) d.digits.insert(0, "1");
        } else {
            ++d.digits[i];
            break;
        }
    }
    Normalize(d);
    return d;
}

int Sign(const Decimal& d) { return d.digits.empty() ? 0 : d.negative ? -1 : 1; }

bool operator==(const Decimal& a, const Decimal& b) {
    return a.negative == b.negative && a.digits == b.digits && a.exponent == b.exponent;
}

std::vector<std::string> SplitLines(const std::string& text, bool& endsWithLineEnd) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    endsWithLineEnd = start == text.size();
    if (!endsWithLineEnd) lines.push_back(text.substr(start));
    return lines;
}

class ReportChecker {
public:
    explicit ReportChecker(std::string sep)
        : sep_(std::move(sep)),
          number_("-?[0-9]+(" + std::string(sep_ == "." ? "\\." : sep_) +
                  "[0-9]+)?(E[-+][0-9]+)?") {}

    // Returns what is wrong with the report, or an empty text.
    std::string Check(int method, const std::string& weightText,
                      const MemoryFormState& state) const {
        const std::string header = "Изчисляване: " + std::string(kMethodCaptions[method]) + "\r\n";
        if (state.output.compare(0, header.size(), header) != 0) return "no header line";
        const std::string rest = state.output.substr(header.size());
        bool lineEnd = false;
        const auto lines = SplitLines(rest, lineEnd);

        if (!state.warnings.empty()) {
            if (state.warnings != std::vector<std::string>{std::string(kOverflowMessage)})
                return "odd warning";
            if (rest.empty()) return "";
            if (method != 0 && lines.size() == 1 && lineEnd && Figure(lines[0], "Желано тегло: "))
                return "";
            return "overflow after lines";
        }
        if (method == 1 && rest == "ръст < 155 - въведените данни са некоректни!") return "";
        if (!lineEnd) return "last line without CR LF";
        if (method == 0) return CheckBodyMassIndex(lines);
        return CheckVerdict(method, weightText, lines);
    }

private:
    // The figure after the label, when the line is the label and a well
    // formed number of at most 15 significant digits.
    std::optional<std::string> Figure(const std::string& line, const std::string& label) const {
        if (line.compare(0, label.size(), label) != 0) return std::nullopt;
        const std::string figure = line.substr(label.size());
        if (!std::regex_match(figure, number_) || figure == "-0") return std::nullopt;
        if (ParseShown(figure, sep_).digits.size() > 15) return std::nullopt;
        return figure;
    }

    std::string CheckBodyMassIndex(const std::vector<std::string>& lines) const {
        static const std::vector<std::string> kClasses = {"Недохранен!",
                                                          "Слаб - под нормалното тегло.",
                                                          "нормално тегло,",
                                                          "наднормено тегло",
                                                          "затлъстяване I степен",
                                                          "затлъстяване II степен",
                                                          "затлъстяване III степен"};
        if (lines.size() != 2) return "not two lines";
        const auto figure = Figure(lines[0], "Индекс на телесната маса: ");
        if (!figure) return "bad index line";
        const auto found = std::find(kClasses.begin(), kClasses.end(), lines[1]);
        if (found == kClasses.end()) return "no class line";
        // Compared as exact decimals: the C library's readers would follow
        // the process locale.
        const Decimal index = ParseShown(*figure, sep_);
        static const Decimal bounds[] = {ParseShown("16", "."), ParseShown("18.5", "."),
                                         ParseShown("25", "."), ParseShown("30", "."),
                                         ParseShown("35", "."), ParseShown("40", ".")};
        std::size_t expected = 0;
        while (expected < 6 && (expected == 0 ? Sign(Minus(index, bounds[0])) > 0
                                              : Sign(Minus(index, bounds[expected])) >= 0))
            ++expected;
        if (std::size_t(found - kClasses.begin()) != expected)
            return "class does not fit the index";
        return "";
    }

    std::string CheckVerdict(int method, const std::string& weightText,
                             const std::vector<std::string>& lines) const {
        if (lines.empty() || lines.size() > 2) return "not one or two lines";
        const auto desired = Figure(lines[0], "Желано тегло: ");
        if (!desired) return "bad desired-weight line";
        // The weight as the method compares it: whole for Broca and
        // Breitman, as typed for Borngard.
        const double weight = method == 3 ? calc::ParseNumber(weightText)
                                          : calc::RoundToInteger(calc::ParseNumber(weightText));
        const Decimal ideal = ParseShown(*desired, sep_);
        const Decimal compared = ParseShown(calc::FormatNumberText(weight, sep_), sep_);
        const int order = Sign(Minus(compared, ideal));
        if (lines.size() == 1) return order == 0 ? "" : "difference line missing";

        std::optional<std::string> figure;
        if ((figure = Figure(lines[1], "Наднормено тегло: "))) {
            if (order <= 0) return "excess weight without excess";
        } else if ((figure = Figure(lines[1], "Можете да си позволите още: "))) {
            if (order >= 0) return "allowance without a lower weight";
        } else {
            return "bad difference line";
        }
        const Decimal difference = order > 0 ? Minus(compared, ideal) : Minus(ideal, compared);
        if (!(ParseShown(*figure, sep_) == RoundTo15(difference)))
            return "difference is not desired - weight";
        return "";
    }

    std::string sep_;
    std::regex number_;
};

TEST(EveryTypedText, GivesAWellFormedReport) {
    const std::vector<std::string> texts = testing_support::AllTexts(3);
    ASSERT_EQ(texts.size(), 1u + 27u + 27u * 27u + 27u * 27u * 27u);
    const ReportChecker checkers[] = {ReportChecker("."), ReportChecker(",")};
    const long long reports = testing_support::Sweep(
        texts, [&](int method, const std::string& sep, const MemoryFormState& state) {
            const std::string problem =
                checkers[sep == "," ? 1 : 0].Check(method, state.inputs[kWeight], state);
            EXPECT_EQ(problem, "")
                << "method " << method << " boxes \"" << state.inputs[0] << "\" \""
                << state.inputs[1] << "\" \"" << state.inputs[2] << "\" separator " << sep << "\n"
                << state.output;
            return problem.empty();
        });
    EXPECT_EQ(reports, 2 * kOptionCount * (kInputCount + 1) * (long long)texts.size());
    std::cout << "texts tried: " << texts.size() << " per box; reports checked under the "
              << std::setlocale(LC_ALL, nullptr) << " locale: " << reports << "\n";
}

}  // namespace
}  // namespace form
