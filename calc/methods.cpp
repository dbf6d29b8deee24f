// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/methods.h"

#include <array>
#include <limits>

#include "calc/number_text.h"

namespace calc {

void Report::AppendLine(std::string_view label, double value) {
    // Format first: on overflow nothing of the line is written.
    const std::string number = FormatNumberText(value, separator_);
    text_ += label;
    text_ += number;
    text_ += kLineEnd;
}

void Report::AppendLine(std::string_view text) {
    text_ += text;
    text_ += kLineEnd;
}

void Report::Append(std::string_view text) { text_ += text; }

void AppendVerdict(double ideal, double weight, Report& report) {
    report.AppendLine("Желано тегло: ", ideal);
    if (weight > ideal) report.AppendLine("Наднормено тегло: ", Difference(weight, ideal));
    if (weight < ideal)
        report.AppendLine("Можете да си позволите още: ", Difference(ideal, weight));
}

namespace {

struct WeightClass {
    double below;    // the class holds indices under this bound
    bool inclusive;  // ...or equal to it
    std::string_view line;
};

// Applied to the rounded index, first match wins.
constexpr std::array<WeightClass, 7> kWeightClasses{{
    {16, true, "Недохранен!"},
    {18.5, false, "Слаб - под нормалното тегло."},
    {25, false, "нормално тегло,"},
    {30, false, "наднормено тегло"},
    {35, false, "затлъстяване I степен"},
    {40, false, "затлъстяване II степен"},
    {std::numeric_limits<double>::infinity(), false, "затлъстяване III степен"},
}};

std::string_view ClassifyIndex(double index) {
    for (const auto& c : kWeightClasses)
        if (index < c.below || (c.inclusive && index == c.below)) return c.line;
    return kWeightClasses.back().line;
}

struct HeightBracket {
    double from;  // inclusive
    double to;    // exclusive
    double offset;
};

// Tested in order, each one that holds replaces the ideal weight, so the
// overlap 165..166 takes the second bracket. The second reaches up to 176 so
// that no height between the brackets is left with an ideal weight of 0.
constexpr std::array<HeightBracket, 3> kBrocaBrackets{{
    {155, 166, 100},
    {165, 176, 105},
    {176, std::numeric_limits<double>::infinity(), 110},
}};

}  // namespace

void CalcBodyMassIndex(const Inputs& inputs, Report& report) {
    double heightMetres = ParseNumber(inputs.height) / 100;
    const double weight = RoundToInteger(ParseNumber(inputs.weight));
    // Under 100 cm, an empty box included, counts as 100 cm: no division by zero.
    if (heightMetres < 1) heightMetres = 1;
    const double index = RoundToHundredths(weight / Finite(heightMetres * heightMetres));
    report.AppendLine("Индекс на телесната маса: ", index);
    report.AppendLine(ClassifyIndex(index));
}

void CalcBroca(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = RoundToInteger(ParseNumber(inputs.weight));
    if (height < 155 || weight < 40) {
        report.Append("ръст < 155 - въведените данни са некоректни!");
        return;
    }
    double ideal = 0;
    for (const auto& b : kBrocaBrackets)
        if (height >= b.from && height < b.to) ideal = RoundToHundredths(height - b.offset);
    AppendVerdict(ideal, weight, report);
}

void CalcBreitman(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = RoundToInteger(ParseNumber(inputs.weight));
    const double ideal = RoundToHundredths(height * 0.7 - 50);
    AppendVerdict(ideal, weight, report);
}

void CalcBorngard(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = ParseNumber(inputs.weight);
    const double chestGirth = RoundToInteger(ParseNumber(inputs.chestGirth));
    // The product first, then the division.
    const double ideal = RoundToHundredths(height * chestGirth / 240);
    AppendVerdict(ideal, weight, report);
}

}  // namespace calc
