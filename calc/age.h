// SPDX-License-Identifier: GPL-3.0-or-later
// What the age and sex change: a child from 2 to 19 years is judged by WHO's
// references for the age and sex instead of the adult classes, and an
// adult's desired weight by Broca is corrected for the age. Without an age
// nothing changes. Plain C++, no toolkit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "calc/growth.h"
#include "calc/methods.h"

namespace calc {

// The age boxes, in whole years and months as typed, and the sex chosen.
struct PersonBoxes {
    std::string_view years, months;
    std::optional<Sex> sex;
};

// The oldest age taken for a typed one; past it the age looks mistyped.
inline constexpr int kOldestYears = 120;
// The plausible heights of a child, in centimetres.
inline constexpr double kShortestChild = 45, kTallestChild = 230;
// A z-score beyond this, WHO's software flags as implausible.
inline constexpr double kImplausibleZ = 5;

// How the boxes are judged by age and sex.
struct AgeJudgement {
    enum class Status {
        NoAge,    // both age boxes empty: as if there were none
        Adult,    // older than a child: the adult classes, as without an age
        Child,    // judged by WHO's references
        Refused,  // an age that cannot be judged, and why
    };
    Status status = Status::NoAge;
    // The age in months, where the boxes read as one.
    std::optional<int> months;
    // Refused: the line that says why, numbers written with the separator
    // the judgement was made with.
    std::string refusal;
    // Refused after the child's index was found (no sex, an implausible
    // z-score): that index, which the report still shows.
    std::optional<double> refusedIndex;

    // Child:
    GrowthTable table = GrowthTable::Reference2007;
    Sex sex = Sex::Boy;
    Lms lms{};
    double index = 0;            // weight over the height as typed, squared, rounded to hundredths
    double z = 0;                // rounded to hundredths
    std::size_t childClass = 0;  // the row of ChildClasses(table)
    std::optional<WeightRange> normal;

    // Whether the age read is a child's, under 19 years and one month.
    bool ChildsAge() const { return months && *months <= kLastChildMonth; }
};

// Judges the boxes: the weight read as the methods read it (rounded to
// whole kilograms), the height as typed. Throws Overflow where those do not
// fit, as the body mass index method would; reads neither without an age.
AgeJudgement JudgeByAge(const Inputs& boxes, const PersonBoxes& person,
                        std::string_view decimalSeparator);

// The line a child's class is written in: "нормално тегло за възрастта (z =
// −0,48; 32-ри перцентил)".
std::string ChildClassLine(const AgeJudgement& child, std::string_view decimalSeparator);
// A z-score as the report writes it: the minus sign U+2212.
std::string ZText(double z, std::string_view decimalSeparator);
// "32-ри перцентил", "под 1-ви перцентил", "над 99-и перцентил".
std::string PercentileText(double z);

// What an adult method's report adds for a child.
inline constexpr std::string_view kForAdultsLine =
    "Желаното тегло по този метод е за възрастни, не за деца.";

// The whole kilograms of Broca's desired weight corrected for an adult's
// age in whole years: 12 % to 10 % less from 20 to 30 years, 5 % to 7 %
// more from 50; none at other ages.
std::optional<WholeWeights> BrocaForAge(double ideal, int years);

}  // namespace calc
