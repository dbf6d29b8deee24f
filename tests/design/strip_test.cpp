// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "design/presentation.h"
#include "design/scale.h"
#include "form/memory_form_state.h"

namespace design {
namespace {

double Narrowest(const Strip& strip) {
    double narrowest = 1;
    for (const Band& b : strip.bands) narrowest = std::min(narrowest, b.to - b.from);
    return narrowest;
}

// At every age and for both sexes, a child's bar shows each class in a band
// at least as wide as the adults' narrowest, the normal one green, the mark
// inside the bar when the child is normal.
TEST(Strip, EveryChildsBandIsAsEasyToSeeAsTheAdults) {
    const double adults = Narrowest(StripAtStart(","));
    for (int months = calc::kFirstChildMonth; months <= calc::kLastChildMonth; ++months)
        for (const auto sex : {calc::Sex::Boy, calc::Sex::Girl}) {
            SCOPED_TRACE(std::to_string(months) + " months");
            const auto lms = *calc::BmiForAge(sex, months);
            const std::string median = std::to_string(int(lms.m * 1.2 * 1.2 + 0.5));
            const std::string years = std::to_string(months / 12),
                              rest = std::to_string(months % 12);
            const auto standing =
                form::StandingOf({"120", median, ""}, {years, rest, sex}, form::Method::Broca);
            ASSERT_TRUE(standing);
            ASSERT_EQ(standing->age.status, calc::AgeJudgement::Status::Child);
            const Strip strip = StripOf(standing, form::Method::Broca, ",");
            EXPECT_EQ(strip.bands.size(), months < calc::kFirstReferenceMonth ? 6u : 5u);
            EXPECT_GE(Narrowest(strip), adults);
            EXPECT_EQ(strip.bands[calc::kNormalClass].colour.green, 255);
            EXPECT_EQ(strip.standing->beyond, 0);
            EXPECT_FALSE(strip.desired);
        }
}

// What the strip and the announcement say, beyond the report.
TEST(Strip, SaysTheChildsClassAndWhoseClassesTheyAre) {
    const struct {
        int method;
        std::string years, months;
        int sex;
        std::vector<std::string> labels, told;
    } rows[] = {
        {1,
         "12",
         "",
         form::kBoy,
         {"13,4", "14,5", "19,9", "23,6"},
         {"нормално тегло за възрастта (z = −0,34; 37-и перцентил)",
          "Нормално тегло при 150 см: от 33 до 44 кг",
          "Класове на СЗО (2007) за момче на 12 години"}},
        {0,
         "3",
         "1",
         form::kGirl,
         {"12,1", "13,1", "16,8", "18,4", "20,3"},
         {"риск от наднормено тегло за възрастта (z = 1,06; 86-и перцентил)",
          "Нормално тегло при 150 см: от 30 до 37 кг",
          "Класове на СЗО (2006) за момиче на 3 години и 1 месец"}},
    };
    for (const auto& r : rows) {
        form::MemoryFormState state;
        form::Form form(state, ",");
        form.Option1_Click(r.method);
        state.inputs = {"150", "38", ""};
        state.ages = {r.years, r.months};
        state.sexes[std::size_t(r.sex)] = true;
        const CommandOutcome outcome = Command(form, state, form::kCalculate);
        std::vector<std::string> labels;
        for (const Boundary& b : outcome.strip->boundaries) labels.push_back(b.label);
        EXPECT_EQ(labels, r.labels);
        EXPECT_TRUE(outcome.strip->boundaries.front().minor);
        for (const std::string& line : r.told) {
            EXPECT_NE(outcome.announcement.find("\n" + line), std::string::npos) << line;
            EXPECT_NE(outcome.strip->name.find(line), std::string::npos) << line;
        }
    }
}

}  // namespace
}  // namespace design
