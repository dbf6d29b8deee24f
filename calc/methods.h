// SPDX-License-Identifier: GPL-3.0-or-later
// The four methods of judging a body weight. Each reads the input texts,
// computes, and appends its lines to a report; none of them knows the window.
#pragma once

#include <string>
#include <string_view>

namespace calc {

inline constexpr std::string_view kLineEnd = "\r\n";

// The input boxes' texts, as typed.
struct Inputs {
    std::string_view height;      // centimetres
    std::string_view weight;      // kilograms
    std::string_view chestGirth;  // centimetres, read by Borngard only
};

// The lines a method appends, numbers written with the user's decimal
// separator.
class Report {
public:
    explicit Report(std::string_view decimalSeparator) : separator_(decimalSeparator) {}

    // label, the number, CR LF
    void AppendLine(std::string_view label, double value);
    // the text, CR LF
    void AppendLine(std::string_view text);
    // the text as it is
    void Append(std::string_view text);

    const std::string& Text() const { return text_; }

private:
    std::string separator_;
    std::string text_;
};

// Every method throws Overflow when a number does not fit; what it appended
// before stays in the report.
void CalcBodyMassIndex(const Inputs& inputs, Report& report);
void CalcBroca(const Inputs& inputs, Report& report);
void CalcBreitman(const Inputs& inputs, Report& report);
void CalcBorngard(const Inputs& inputs, Report& report);

// The desired weight, then how far the weight lies above or below it.
void AppendVerdict(double ideal, double weight, Report& report);

}  // namespace calc
