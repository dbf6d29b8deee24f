// SPDX-License-Identifier: GPL-3.0-or-later
// The four methods of judging a body weight. Each reads the input texts,
// computes, and appends its lines to a report; none of them knows the window.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <span>
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
    // CR LF, unless the report is empty or its last line has its end
    void EndLine();

    const std::string& Text() const { return text_; }
    const std::string& Separator() const { return separator_; }

private:
    std::string separator_;
    std::string text_;
};

// The label of the body mass index's line.
inline constexpr std::string_view kIndexLabel = "Индекс на телесната маса: ";

// Every method throws Overflow when a number does not fit; what it appended
// before stays in the report. The three ideal-weight methods give the
// desired weight they reported (Broca none when it refuses the boxes).
void CalcBodyMassIndex(const Inputs& inputs, Report& report);
std::optional<double> CalcBroca(const Inputs& inputs, Report& report);
double CalcBreitman(const Inputs& inputs, Report& report);
double CalcBorngard(const Inputs& inputs, Report& report);

// The height the body mass index is computed at, in metres: under 1 m, an
// empty box included, counts as 1 m, so there is no division by zero.
double IndexHeight(std::string_view heightText);
// weight / height², rounded to hundredths.
double IndexOf(double weight, double heightMetres);
// The index the method reports: the weight rounded to whole kilograms.
double BodyMassIndex(const Inputs& inputs);

// The classes of the index, applied to the rounded index, first match wins.
struct WeightClass {
    double below;    // the class holds indices under this bound
    bool inclusive;  // ...or equal to it
    std::string_view line;
};
inline constexpr std::array<WeightClass, 7> kWeightClasses{{
    {16, true, "Недохранен!"},
    {18.5, false, "Слаб - под нормалното тегло."},
    {25, false, "нормално тегло,"},
    {30, false, "наднормено тегло"},
    {35, false, "затлъстяване I степен"},
    {40, false, "затлъстяване II степен"},
    {std::numeric_limits<double>::infinity(), false, "затлъстяване III степен"},
}};
inline constexpr std::size_t kNormalClass = 2;
// The row of `classes` that holds the value; of kWeightClasses by default.
std::size_t ClassOf(double value, std::span<const WeightClass> classes = kWeightClasses);

// The whole kilograms the index classes normal at the height of the text,
// at the height the index is computed at (in centimetres); none where no
// whole weight the method can read is. Throws Overflow for a height that
// does not read.
struct WeightRange {
    double heightCm;
    int low, high;
};
std::optional<WeightRange> NormalWeights(std::string_view heightText);

// The lightest and heaviest whole kilograms, within the 16-bit weights the
// methods read, for which `normal` holds, where it holds for one unbroken
// run of weights: found from the guesses a kilogram at a time either way,
// so the answer agrees with `normal` to the kilogram. None where it holds
// for none.
struct WholeWeights {
    int low, high;
};
std::optional<WholeWeights> WeightsWhere(double lowGuess, double highGuess,
                                         bool (*normal)(const void* context, double weight),
                                         const void* context);
template <class Normal>
std::optional<WholeWeights> WeightsWhere(double lowGuess, double highGuess, const Normal& normal) {
    return WeightsWhere(
        lowGuess, highGuess,
        [](const void* context, double weight) {
            return (*static_cast<const Normal*>(context))(weight);
        },
        &normal);
}

// The desired weight, then how far the weight lies above or below it.
void AppendVerdict(double ideal, double weight, Report& report);

}  // namespace calc
