// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/age.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "calc/number_text.h"

namespace calc {
namespace {

// Why an age is not judged: shown in place of the class.
constexpr std::string_view kNotWhole = "Възрастта се пише с цели числа: години и месеци.";
constexpr std::string_view kMonthsOver11 = "Месеците към възрастта са от 0 до 11.";
constexpr std::string_view kTooOld = "Възраст над 120 години изглежда сгрешена.";
constexpr std::string_view kUnderTwo =
    "Под 2 години теглото се оценява спрямо дължината на тялото, а не по индекса.";
constexpr std::string_view kNoSex = "За оценка по възрастта изберете пол: момче или момиче.";
constexpr std::string_view kNotAChildsHeight =
    "Ръст под 45 или над 230 см не е на дете: проверете ръста.";
constexpr std::string_view kImplausible =
    ": числата изглеждат сгрешени. Проверете ръста, теглото и възрастта.";

// A box's whole number, spaces, tabs and line feeds ignored wherever they
// stand, as in the other boxes; none where anything else is in it. Large
// numbers stop growing at a bound no age reaches.
std::optional<long> WholeNumber(std::string_view text, bool& empty) {
    long value = 0;
    empty = true;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n') continue;
        if (c < '0' || c > '9') return std::nullopt;
        empty = false;
        value = std::min(value * 10 + (c - '0'), 1'000'000L);
    }
    return value;
}

AgeJudgement Refused(std::string_view why, std::optional<int> months = std::nullopt,
                     std::optional<double> index = std::nullopt) {
    AgeJudgement j;
    j.status = AgeJudgement::Status::Refused;
    j.refusal = why;
    j.months = months;
    j.refusedIndex = index;
    return j;
}

}  // namespace

AgeJudgement JudgeByAge(const Inputs& boxes, const PersonBoxes& person,
                        std::string_view decimalSeparator) {
    bool noYears = true, noMonths = true;
    const auto years = WholeNumber(person.years, noYears);
    const auto months = WholeNumber(person.months, noMonths);
    if (years && months && noYears && noMonths) return {};
    if (!years || !months) return Refused(kNotWhole);
    if (*months >= 12) return Refused(kMonthsOver11);
    if (*years > kOldestYears) return Refused(kTooOld);
    const int age = int(*years * 12 + *months);
    if (age < kFirstChildMonth) return Refused(kUnderTwo, age);
    if (age > kLastChildMonth) {
        AgeJudgement adult;
        adult.status = AgeJudgement::Status::Adult;
        adult.months = age;
        return adult;
    }

    // Read as the body mass index method reads them, so that a number that
    // does not fit stops the report where the method's would stop.
    const double height = ParseNumber(boxes.height);
    const double weight = RoundToInteger(ParseNumber(boxes.weight));
    if (!(height >= kShortestChild && height <= kTallestChild))
        return Refused(kNotAChildsHeight, age);
    const double index = IndexOf(weight, height / 100);
    if (!person.sex) return Refused(kNoSex, age, index);
    AgeJudgement child;
    child.status = AgeJudgement::Status::Child;
    child.months = age;
    child.table = *TableFor(age);
    child.sex = *person.sex;
    child.lms = *BmiForAge(child.sex, age);
    child.index = index;
    child.z = RoundToHundredths(ZScore(child.lms, index));
    if (std::abs(child.z) > kImplausibleZ) {
        return Refused(Joined({"z = ", ZText(child.z, decimalSeparator), kImplausible}), age,
                       index);
    }
    child.childClass = ClassOf(child.z, ChildClasses(child.table));
    child.normal = ChildNormalWeights(child.lms, height);
    return child;
}

std::string ZText(double z, std::string_view decimalSeparator) {
    const std::string text = FormatNumberText(z, decimalSeparator);
    return text.starts_with('-') ? Joined({"−", std::string_view(text).substr(1)}) : text;
}

std::string PercentileText(double z) {
    const long p = std::lround(std::floor(Percentile(z) + 0.5));
    if (p < 1) return "под 1-ви перцентил";
    if (p > 99) return "над 99-и перцентил";
    // Bulgarian writes after the digits what of the ordinal they leave
    // out: 1-ви, 2-ри, 3-ти, 4-ти, but 5-и, 11-и to 19-и, 21-ви.
    const long last = p % 10;
    const char* ending = (p % 100) / 10 == 1      ? "и"
                         : last == 1              ? "ви"
                         : last == 2              ? "ри"
                         : last == 3 || last == 4 ? "ти"
                                                  : "и";
    return Joined({std::to_string(p), "-", ending, " перцентил"});
}

std::string ChildClassLine(const AgeJudgement& child, std::string_view decimalSeparator) {
    return Joined({ChildClasses(child.table)[child.childClass].line, " за възрастта (z = ",
                   ZText(child.z, decimalSeparator), "; ", PercentileText(child.z), ")"});
}

std::optional<WholeWeights> BrocaForAge(double ideal, int years) {
    double less = 0, more = 0;
    if (years >= 20 && years <= 30) {
        less = -0.12;
        more = -0.10;
    } else if (years >= 50) {
        less = 0.05;
        more = 0.07;
    } else {
        return std::nullopt;
    }
    // To hundredths first, so that 70 × 0.9 is 63 and not a hair above.
    const double low = std::ceil(RoundToHundredths(ideal * (1 + less)));
    const double high = std::floor(RoundToHundredths(ideal * (1 + more)));
    if (low > high) return std::nullopt;
    return WholeWeights{int(low), int(high)};
}

}  // namespace calc
