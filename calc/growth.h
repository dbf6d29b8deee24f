// SPDX-License-Identifier: GPL-3.0-or-later
// WHO's references for judging a child's body mass index by age and sex:
// the 2006 child growth standards from 2 to 5 years and the 2007 growth
// reference from 5 to 19 years, read as WHO's own software reads them.
// Plain C++, no toolkit.
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <span>

#include "calc/methods.h"

namespace calc {

enum class Sex { Boy, Girl };

enum class GrowthTable { Standard2006, Reference2007 };

// The ages judged by age and sex, in months. Under two years WHO judges
// weight against length, not the index; from 19 years and one month the
// adult classes apply.
inline constexpr int kFirstChildMonth = 24;
inline constexpr int kFirstReferenceMonth = 60;
inline constexpr int kLastChildMonth = 228;

// The table that judges an age in months; none outside the children's ages.
std::optional<GrowthTable> TableFor(double ageMonths);

// The Box-Cox power, median and coefficient of variation of the index at
// one age and sex.
struct Lms {
    double l, m, s;
};

// L, M and S at an age in months: for the 2007 reference linearly between
// the two whole months around it, for the 2006 standard the row of the age
// in whole days (months × 30.4375, halves up). None outside the children's
// ages, and none under five years for an age that is not a whole month:
// only the rows the program's whole months reach are carried.
std::optional<Lms> BmiForAge(Sex sex, double ageMonths);

// The z-score of an index, not rounded. Beyond ±3 it is measured in the
// distance between the third and second standard deviations, as WHO's
// software restricts it, so an index of 0 or less still has one.
double ZScore(const Lms& lms, double index);
// The index at a z-score: ZScore's inverse.
double IndexAtZ(const Lms& lms, double z);
// The percentile of a z-score, from 0 to 100, not rounded.
double Percentile(double z);

// The classes of a z-score rounded to hundredths, as kWeightClasses are of
// the index: the normal class is the third in both tables, -2 to +1.
inline constexpr std::array<WeightClass, 5> kReference2007Classes{{
    {-3, false, "силно поднормено тегло"},
    {-2, false, "поднормено тегло"},
    {1, true, "нормално тегло"},
    {2, true, "наднормено тегло"},
    {std::numeric_limits<double>::infinity(), false, "затлъстяване"},
}};
inline constexpr std::array<WeightClass, 6> kStandard2006Classes{{
    {-3, false, "силно изразено изтощение"},
    {-2, false, "изтощение"},
    {1, true, "нормално тегло"},
    {2, true, "риск от наднормено тегло"},
    {3, true, "наднормено тегло"},
    {std::numeric_limits<double>::infinity(), false, "затлъстяване"},
}};
std::span<const WeightClass> ChildClasses(GrowthTable table);

// The whole kilograms whose index at the height, in centimetres as typed,
// has a rounded z-score in the normal class; none where no whole weight
// the method reads is. Throws Overflow where the height does not fit.
std::optional<WeightRange> ChildNormalWeights(const Lms& lms, double heightCm);

}  // namespace calc
