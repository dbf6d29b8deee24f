// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/growth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "calc/age.h"
#include "calc/number_text.h"

namespace calc {
namespace {

// A survey's records with the z-score WHO's own software gave each.
struct Record {
    int sex;
    double months, weight, height, z;
};
constexpr Record kWhoRecords[] = {
#include "tests/calc/who2007_sample_z.inc"
};

TEST(Growth, AgreesWithWhosSoftwareOnItsSurvey) {
    ASSERT_EQ(std::size(kWhoRecords), 40u);
    for (const Record& r : kWhoRecords) {
        SCOPED_TRACE(std::to_string(r.months) + " months, z " + std::to_string(r.z));
        const auto lms = BmiForAge(r.sex == 1 ? Sex::Boy : Sex::Girl, r.months);
        ASSERT_TRUE(lms);
        const double metres = r.height / 100;
        EXPECT_NEAR(RoundToHundredths(ZScore(*lms, r.weight / (metres * metres))), r.z, 0.01);
    }
}

// The tables' edges, worked out from WHO's files by hand: the day of 24
// months is 730.5, which rounds up to the first row for height (731); a
// whole month of the 2007 reference is its row, a half month halfway.
TEST(Growth, TablesEdgesAndRestrictedZ) {
    const struct {
        Sex sex;
        double months, index;
        std::optional<GrowthTable> table;
        double z;
    } rows[] = {
        {Sex::Boy, 23, 16, std::nullopt, 0},
        {Sex::Boy, 24, 16, GrowthTable::Standard2006, -0.0152},
        {Sex::Girl, 59, 15, GrowthTable::Standard2006, -0.1838},
        {Sex::Boy, 60, 15.5, GrowthTable::Reference2007, 0.1794},
        {Sex::Girl, 170.5, 20, GrowthTable::Reference2007, 0.1049},
        {Sex::Girl, 228, 25, GrowthTable::Reference2007, 1.0086},
        {Sex::Girl, 229, 25, std::nullopt, 0},
        {Sex::Boy, 120, 35, GrowthTable::Reference2007, 4.9102},   // above +3
        {Sex::Boy, 120, 10, GrowthTable::Reference2007, -5.8899},  // below -3
        {Sex::Boy, 120, 0, GrowthTable::Reference2007, -16.3038},
        {Sex::Boy, 36, 22, GrowthTable::Standard2006, 4.2529},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.months) + " months, index " + std::to_string(r.index));
        EXPECT_EQ(TableFor(r.months), r.table);
        const auto lms = BmiForAge(r.sex, r.months);
        ASSERT_EQ(lms.has_value(), r.table.has_value());
        if (!lms) continue;
        const double z = ZScore(*lms, r.index);
        EXPECT_NEAR(z, r.z, 5e-5);
        if (r.index > 0) {
            EXPECT_NEAR(IndexAtZ(*lms, z), r.index, 1e-9);
        }
    }
    EXPECT_FALSE(BmiForAge(Sex::Boy, 30.5));  // not a whole month: not carried
}

TEST(Growth, PercentileAsBulgarianWritesTheOrdinal) {
    const struct {
        double z;
        std::string text;
    } rows[] = {
        {0, "50-и перцентил"},       {-0.48, "32-ри перцентил"}, {1, "84-ти перцентил"},
        {-2.33, "1-ви перцентил"},   {-3, "под 1-ви перцентил"}, {2.5, "99-и перцентил"},
        {2.6, "над 99-и перцентил"}, {-1.23, "11-и перцентил"},  {-1.17, "12-и перцентил"},
        {-1.13, "13-и перцентил"},   {-0.81, "21-ви перцентил"}, {-1.48, "7-и перцентил"},
        {-1.88, "3-ти перцентил"},   {-1.75, "4-ти перцентил"},  {-2.05, "2-ри перцентил"},
    };
    for (const auto& r : rows) EXPECT_EQ(PercentileText(r.z), r.text) << r.z;
}

// The whole kilograms of the normal range agree with the class a child of
// that height is given, to the kilogram, at every height a child may have.
TEST(Growth, ChildsNormalWeightsAreThoseClassedNormal) {
    const auto normal = [](int height, int weight, const PersonBoxes& person) {
        const AgeJudgement j =
            JudgeByAge({std::to_string(height), std::to_string(weight), ""}, person, ".");
        return j.status == AgeJudgement::Status::Child && j.childClass == kNormalClass;
    };
    for (const char* years : {"2", "4", "7", "12", "19"})
        for (const auto sex : {Sex::Boy, Sex::Girl})
            for (int height = 45; height <= 200; ++height) {
                const PersonBoxes person{years, "0", sex};
                SCOPED_TRACE(std::string(years) + " years, " + std::to_string(height) + " cm");
                const auto range =
                    ChildNormalWeights(*BmiForAge(sex, 12 * std::stoi(years)), height);
                if (!range) {  // a short child: no whole kilogram is normal
                    for (int weight = 0; weight <= 200; ++weight)
                        EXPECT_FALSE(normal(height, weight, person)) << weight;
                    continue;
                }
                EXPECT_EQ(range->heightCm, height);
                EXPECT_TRUE(normal(height, range->low, person));
                EXPECT_TRUE(normal(height, range->high, person));
                EXPECT_FALSE(normal(height, range->low - 1, person));
                EXPECT_FALSE(normal(height, range->high + 1, person));
            }
}

TEST(Growth, BrocaCorrectedForTheAge) {
    const struct {
        double ideal;
        int years;
        std::optional<int> low, high;
    } rows[] = {
        {70, 19, {}, {}}, {70, 20, 62, 63}, {70, 30, 62, 63}, {70, 31, {}, {}},
        {70, 49, {}, {}}, {70, 50, 74, 74}, {55, 99, 58, 58}, {69.5, 25, 62, 62},
    };
    for (const auto& r : rows) {
        const auto weights = BrocaForAge(r.ideal, r.years);
        ASSERT_EQ(weights.has_value(), r.low.has_value()) << r.ideal << " " << r.years;
        if (weights) {
            EXPECT_EQ(std::pair(weights->low, weights->high), std::pair(*r.low, *r.high));
        }
    }
}

}  // namespace
}  // namespace calc
