// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/methods.h"

#include <algorithm>
#include <array>
#include <cmath>
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

void Report::EndLine() {
    if (!text_.empty() && !text_.ends_with(kLineEnd)) text_ += kLineEnd;
}

void AppendVerdict(double ideal, double weight, Report& report) {
    report.AppendLine("Желано тегло: ", ideal);
    if (weight > ideal) report.AppendLine("Наднормено тегло: ", Difference(weight, ideal));
    if (weight < ideal)
        report.AppendLine("Можете да си позволите още: ", Difference(ideal, weight));
}

namespace {

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

std::size_t ClassOf(double value, std::span<const WeightClass> classes) {
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const WeightClass& c = classes[i];
        if (value < c.below || (c.inclusive && value == c.below)) return i;
    }
    return classes.size() - 1;
}

double IndexHeight(std::string_view heightText) {
    return std::max(ParseNumber(heightText) / 100, 1.0);
}

double IndexOf(double weight, double heightMetres) {
    return RoundToHundredths(weight / Finite(heightMetres * heightMetres));
}

double BodyMassIndex(const Inputs& inputs) {
    const double height = IndexHeight(inputs.height);
    return IndexOf(RoundToInteger(ParseNumber(inputs.weight)), height);
}

std::optional<WholeWeights> WeightsWhere(double lowGuess, double highGuess,
                                         bool (*holds)(const void* context, double weight),
                                         const void* context) {
    const auto normal = [&](double weight) { return holds(context, weight); };
    constexpr double kLightest = -32768, kHeaviest = 32767;
    double low = std::ceil(lowGuess), high = std::floor(highGuess);
    if (low > kHeaviest || high < kLightest) return std::nullopt;
    low = std::max(low, kLightest);
    high = std::min(high, kHeaviest);
    while (low > kLightest && normal(low - 1)) --low;
    while (low <= high && !normal(low)) ++low;
    while (high < kHeaviest && normal(high + 1)) ++high;
    while (high >= low && !normal(high)) --high;
    if (low > high) return std::nullopt;
    return WholeWeights{int(low), int(high)};
}

std::optional<WeightRange> NormalWeights(std::string_view heightText) {
    const double height = IndexHeight(heightText);
    const double squared = Finite(height * height);
    // From the bounds times the squared height, then as the method's own
    // rounding and classing decide.
    const auto weights = WeightsWhere(
        kWeightClasses[kNormalClass - 1].below * squared,
        kWeightClasses[kNormalClass].below * squared,
        [height](double weight) { return ClassOf(IndexOf(weight, height)) == kNormalClass; });
    if (!weights) return std::nullopt;
    const double typed = ParseNumber(heightText);
    return WeightRange{typed / 100 < 1 ? 100 : typed, weights->low, weights->high};
}

void CalcBodyMassIndex(const Inputs& inputs, Report& report) {
    const double index = BodyMassIndex(inputs);
    report.AppendLine(kIndexLabel, index);
    report.AppendLine(kWeightClasses[ClassOf(index)].line);
}

std::optional<double> CalcBroca(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = RoundToInteger(ParseNumber(inputs.weight));
    if (height < 155 || weight < 40) {
        report.Append("ръст < 155 - въведените данни са некоректни!");
        return std::nullopt;
    }
    double ideal = 0;
    for (const auto& b : kBrocaBrackets)
        if (height >= b.from && height < b.to) ideal = RoundToHundredths(height - b.offset);
    AppendVerdict(ideal, weight, report);
    return ideal;
}

double CalcBreitman(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = RoundToInteger(ParseNumber(inputs.weight));
    const double ideal = RoundToHundredths(height * 0.7 - 50);
    AppendVerdict(ideal, weight, report);
    return ideal;
}

double CalcBorngard(const Inputs& inputs, Report& report) {
    const double height = ParseNumber(inputs.height);
    const double weight = ParseNumber(inputs.weight);
    const double chestGirth = RoundToInteger(ParseNumber(inputs.chestGirth));
    // The product first, then the division.
    const double ideal = RoundToHundredths(height * chestGirth / 240);
    AppendVerdict(ideal, weight, report);
    return ideal;
}

}  // namespace calc
