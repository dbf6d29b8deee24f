// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "calc/number_text.h"
#include "form/memory_form_state.h"
#include "tests/support/number_text_helpers.h"
#include "tests/support/process_locale.h"

namespace form {
namespace {

using testing_support::WithSeparator;

const std::string kCrLf = "\r\n";
const std::string kStartText = "Reference\r\ntext\r\n";
const std::string kOverflow = "Въведеното число е извън допустимия обхват (от -32768 до 32767).";
const std::string kBrocaRefusal = "ръст < 155 - въведените данни са некоректни!";
const std::string kForAdults = "Желаното тегло по този метод е за възрастни, не за деца.";

std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + kCrLf;
    return out;
}

struct Request {
    int method;
    std::string height, weight, chestGirth;
    std::string years = "", months = "";
    int sex = -1;  // the sex's option button checked, if any
};

struct Outcome {
    std::string output;
    std::vector<std::string> warnings;
};

// What a person does: choose the method, type the boxes, press Calculate.
Outcome Calculate(const Request& r, const std::string& separator) {
    MemoryFormState state(kStartText);
    Form form(state, separator);
    form.Form_Load();
    form.Option1_Click(r.method);
    state.inputs = {r.height, r.weight, r.chestGirth};
    state.ages = {r.years, r.months};
    if (r.sex >= 0) state.sexes[std::size_t(r.sex)] = true;
    form.Command1_Click(kCalculate);
    return {state.output, state.warnings};
}

struct ReportCase {
    Request request;
    std::string expected;  // the whole output box, '%' for the separator
    bool overflow = false;
};

const std::string kBmi = "Изчисляване: индекс на телесната маса" + kCrLf;
const std::string kBroca = "Изчисляване: индекс на Брок" + kCrLf;
const std::string kBreitman = "Изчисляване: индекс на Брейтман" + kCrLf;
const std::string kBorngard = "Изчисляване: индекс на Борнгард" + kCrLf;

std::string Bmi(const std::string& index, const std::string& verdict) {
    return kBmi + Lines({"Индекс на телесната маса: " + index, verdict});
}

std::string Verdict(const std::string& header, const std::vector<std::string>& lines) {
    return header + Lines(lines);
}

const ReportCase kReports[] = {
    // Body mass index
    {{0, "170", "72", ""}, Bmi("24%91", "нормално тегло,")},
    {{0, "170", "72.5", ""}, Bmi("24%91", "нормално тегло,")},
    {{0, "", "72", ""}, Bmi("72", "затлъстяване III степен")},
    {{0, "99", "50", ""}, Bmi("50", "затлъстяване III степен")},
    {{0, "100", "50", ""}, Bmi("50", "затлъстяване III степен")},
    {{0, "100", "16", ""}, Bmi("16", "Недохранен!")},
    {{0, "100", "17", ""}, Bmi("17", "Слаб - под нормалното тегло.")},
    {{0, "100", "18", ""}, Bmi("18", "Слаб - под нормалното тегло.")},
    {{0, "164.5", "50", ""}, Bmi("18%48", "Слаб - под нормалното тегло.")},
    {{0, "164.41", "50", ""}, Bmi("18%5", "нормално тегло,")},
    {{0, "208", "80", ""}, Bmi("18%49", "Слаб - под нормалното тегло.")},
    {{0, "169.8", "72", ""}, Bmi("24%97", "нормално тегло,")},
    {{0, "169.72", "72", ""}, Bmi("25", "наднормено тегло")},
    {{0, "100", "29", ""}, Bmi("29", "наднормено тегло")},
    {{0, "100", "30", ""}, Bmi("30", "затлъстяване I степен")},
    {{0, "100", "34", ""}, Bmi("34", "затлъстяване I степен")},
    {{0, "100", "35", ""}, Bmi("35", "затлъстяване II степен")},
    {{0, "100", "39", ""}, Bmi("39", "затлъстяване II степен")},
    {{0, "100", "40", ""}, Bmi("40", "затлъстяване III степен")},
    {{0, "", "-5", ""}, Bmi("-5", "Недохранен!")},
    {{0, "170", "-0.4", ""}, Bmi("0", "Недохранен!")},
    {{0, "1e9", "72", ""}, Bmi("0", "Недохранен!")},
    {{0, "170", "9e9", ""}, kBmi, true},
    {{0, "170", "1e999", ""}, kBmi, true},
    {{0, "1e999", "72", ""}, kBmi, true},
    {{0, "1e200", "72", ""}, kBmi, true},  // the squared height is not finite

    // Broca
    {{1, "170", "72", ""}, Verdict(kBroca, {"Желано тегло: 65", "Наднормено тегло: 7"})},
    {{1, "", "72", ""}, kBroca + kBrocaRefusal},
    {{1, "154.9", "72", ""}, kBroca + kBrocaRefusal},
    {{1, "170", "39", ""}, kBroca + kBrocaRefusal},
    {{1, "170", "39.4", ""}, kBroca + kBrocaRefusal},
    {{1, "170", "-50", ""}, kBroca + kBrocaRefusal},
    {{1, "170", "39.5", ""},
     Verdict(kBroca, {"Желано тегло: 65", "Можете да си позволите още: 25"})},
    {{1, "170", "40", ""}, Verdict(kBroca, {"Желано тегло: 65", "Можете да си позволите още: 25"})},
    {{1, "155", "60", ""}, Verdict(kBroca, {"Желано тегло: 55", "Наднормено тегло: 5"})},
    {{1, "164", "60", ""}, Verdict(kBroca, {"Желано тегло: 64", "Можете да си позволите още: 4"})},
    {{1, "165", "70", ""}, Verdict(kBroca, {"Желано тегло: 60", "Наднормено тегло: 10"})},
    {{1, "165.5", "60", ""},
     Verdict(kBroca, {"Желано тегло: 60%5", "Можете да си позволите още: 0%5"})},
    {{1, "166", "61", ""}, Verdict(kBroca, {"Желано тегло: 61"})},
    {{1, "174", "60", ""}, Verdict(kBroca, {"Желано тегло: 69", "Можете да си позволите още: 9"})},
    {{1, "174.5", "60", ""},
     Verdict(kBroca, {"Желано тегло: 69%5", "Можете да си позволите още: 9%5"})},
    {{1, "175", "72", ""}, Verdict(kBroca, {"Желано тегло: 70", "Наднормено тегло: 2"})},
    {{1, "175.5", "72", ""}, Verdict(kBroca, {"Желано тегло: 70%5", "Наднормено тегло: 1%5"})},
    {{1, "176", "70", ""}, Verdict(kBroca, {"Желано тегло: 66", "Наднормено тегло: 4"})},
    {{1, "180.33", "80", ""}, Verdict(kBroca, {"Желано тегло: 70%33", "Наднормено тегло: 9%67"})},
    {{1, "185.55", "80", ""}, Verdict(kBroca, {"Желано тегло: 75%55", "Наднормено тегло: 4%45"})},
    {{1, "170", "9e9", ""}, kBroca, true},

    // Breitman
    {{2, "170", "72", ""}, Verdict(kBreitman, {"Желано тегло: 69", "Наднормено тегло: 3"})},
    {{2, "170", "69", ""}, Verdict(kBreitman, {"Желано тегло: 69"})},
    {{2, "170", "70.4", ""}, Verdict(kBreitman, {"Желано тегло: 69", "Наднормено тегло: 1"})},
    {{2, "", "60", ""}, Verdict(kBreitman, {"Желано тегло: -50", "Наднормено тегло: 110"})},
    {{2, "171", "72", ""}, Verdict(kBreitman, {"Желано тегло: 69%7", "Наднормено тегло: 2%3"})},
    {{2, "171", "60", ""},
     Verdict(kBreitman, {"Желано тегло: 69%7", "Можете да си позволите още: 9%7"})},
    {{2, "71.428", "", ""}, Verdict(kBreitman, {"Желано тегло: 0"})},  // -0.0004 is not "-0"
    {{2, "1e16", "", ""},
     Verdict(kBreitman, {"Желано тегло: 6%99999999999995E+15",
                         "Можете да си позволите още: 6%99999999999995E+15"})},
    {{2, "170", "1e5", ""}, kBreitman, true},

    // Borngard
    {{3, "170", "60", "90"},
     Verdict(kBorngard, {"Желано тегло: 63%75", "Можете да си позволите още: 3%75"})},
    {{3, "170", "72", "90"}, Verdict(kBorngard, {"Желано тегло: 63%75", "Наднормено тегло: 8%25"})},
    {{3, "170", "65.5", "90"},
     Verdict(kBorngard, {"Желано тегло: 63%75", "Наднормено тегло: 1%75"})},
    {{3, "170", "70.4", "90"},
     Verdict(kBorngard, {"Желано тегло: 63%75", "Наднормено тегло: 6%65"})},
    {{3, "170", "63.75", "90"}, Verdict(kBorngard, {"Желано тегло: 63%75"})},
    {{3, "170", "60", "89.5"},
     Verdict(kBorngard, {"Желано тегло: 63%75", "Можете да си позволите още: 3%75"})},
    {{3, "170", "60", "90.5"},
     Verdict(kBorngard, {"Желано тегло: 63%75", "Можете да си позволите още: 3%75"})},
    {{3, "171", "60", "90"},
     Verdict(kBorngard, {"Желано тегло: 64%13", "Можете да си позволите още: 4%13"})},
    {{3, "170", "70", ""}, Verdict(kBorngard, {"Желано тегло: 0", "Наднормено тегло: 70"})},
    {{3, "-1", "0", "0"}, Verdict(kBorngard, {"Желано тегло: 0"})},
    {{3, "1.5e15", "", "240"},
     Verdict(kBorngard, {"Желано тегло: 1%5E+15", "Можете да си позволите още: 1%5E+15"})},
    {{3, "170", "60", "9e9"}, kBorngard, true},
    {{3, "170", "1e999", "90"}, kBorngard, true},
    {{3, "1e308", "60", "90"}, kBorngard, true},  // the product is not finite
    // By age and sex. A child's index is at the height as typed, under 100 cm too.
    {{0, "150", "38", "", "12", "", kBoy},
     Bmi("16%89", "нормално тегло за възрастта (z = −0%34; 37-и перцентил)")},
    {{0, "150", "38", "", "12", "0", kGirl},
     Bmi("16%89", "нормално тегло за възрастта (z = −0%51; 31-ви перцентил)")},
    {{0, "95", "14", "", "3", "", kGirl},
     Bmi("15%51", "нормално тегло за възрастта (z = 0%09; 54-ти перцентил)")},
    {{0, "150", "70", "", "12", "", kBoy},
     Bmi("31%11", "затлъстяване за възрастта (z = 3%18; над 99-и перцентил)")},
    {{0, "110", "22", "", "4", "6", kBoy},
     Bmi("18%18", "риск от наднормено тегло за възрастта (z = 1%99; 98-и перцентил)")},
    {{0, "110", "24", "", "4", "6", kBoy},
     Bmi("19%83", "наднормено тегло за възрастта (z = 2%91; над 99-и перцентил)")},
    {{0, "110", "25", "", "4", "6", kBoy},
     Bmi("20%66", "затлъстяване за възрастта (z = 3%36; над 99-и перцентил)")},
    {{0, "110", "30", "", "4", "6", kBoy},
     Bmi("24%79", "z = 5%65: числата изглеждат сгрешени. Проверете ръста, теглото и възрастта.")},
    {{0, "170", "72", "", "25", "", kBoy}, Bmi("24%91", "нормално тегло,")},  // an adult
    {{0, "170", "72", "", "", "", kGirl}, Bmi("24%91", "нормално тегло,")},   // a sex alone
    {{0, "150", "38", "", "1", "11", kBoy},
     Bmi("16%89", "Под 2 години теглото се оценява спрямо дължината на тялото, а не по индекса.")},
    {{0, "150", "38", "", "12", ""},
     Bmi("16%89", "За оценка по възрастта изберете пол: момче или момиче.")},
    {{0, "150", "38", "", "12", "12", kBoy}, Bmi("16%89", "Месеците към възрастта са от 0 до 11.")},
    {{0, "150", "38", "", "1.5", "", kBoy},
     Bmi("16%89", "Възрастта се пише с цели числа: години и месеци.")},
    {{0, "150", "38", "", "12", "-1", kBoy},
     Bmi("16%89", "Възрастта се пише с цели числа: години и месеци.")},
    {{0, "150", "38", "", "г12", "", kBoy},
     Bmi("16%89", "Възрастта се пише с цели числа: години и месеци.")},
    {{0, "150", "38", "", "999", "", kBoy},
     Bmi("16%89", "Възраст над 120 години изглежда сгрешена.")},
    {{0, "40", "38", "", "12", "", kBoy},
     Bmi("38", "Ръст под 45 или над 230 см не е на дете: проверете ръста.")},
    {{0, "150", "138", "", "12", "", kBoy},
     Bmi("61%33", "z = 7%92: числата изглеждат сгрешени. Проверете ръста, теглото и възрастта.")},
    {{0, "150", "0", "", "12", "", kBoy},
     Bmi("0", "z = −15%6: числата изглеждат сгрешени. Проверете ръста, теглото и възрастта.")},
    {{0, "150", "9e9", "", "12", "", kBoy}, kBmi, true},
    {{1, "150", "38", "", "12", "", kBoy}, kBroca + kBrocaRefusal + kCrLf + Lines({kForAdults})},
    {{2, "150", "38", "", " 1 2", "", kBoy},
     Verdict(kBreitman, {"Желано тегло: 55", "Можете да си позволите още: 17", kForAdults})},
    {{2, "150", "38", "", "1", "", kBoy},
     Verdict(kBreitman,
             {"Желано тегло: 55", "Можете да си позволите още: 17", kForAdults,
              "Под 2 години теглото се оценява спрямо дължината на тялото, а не по индекса."})},
    {{2, "150", "38", "", "12", "x", kBoy},
     Verdict(kBreitman, {"Желано тегло: 55", "Можете да си позволите още: 17",
                         "Възрастта се пише с цели числа: години и месеци."})},
    {{1, "180", "70", "", "25", "", kBoy}, Verdict(kBroca, {"Желано тегло: 70"})},
    {{3, "150", "9e9", "90", "12", "", kGirl},
     Verdict(kBorngard, {"Желано тегло: 56%25", "Наднормено тегло: 8999999943%75"}),
     true},

    // The difference is not finite: the desired-weight line stays, nothing after it.
    {{3, "-1.7e308", "1.797e308", "1"},
     Verdict(kBorngard, {"Желано тегло: -7%08333333333333E+305"}),
     true},
    // Cancellation noise is not shown: 6.7 - 6.65 is 0.05, not 0.0499999999999998.
    {{3, "133", "6.7", "12"}, Verdict(kBorngard, {"Желано тегло: 6%65", "Наднормено тегло: 0%05"})},
};

class Reports : public testing::TestWithParam<std::string> {};

TEST_P(Reports, WholeOutputMatchesByteForByte) {
    const std::string& sep = GetParam();
    for (const auto& c : kReports) {
        const auto& r = c.request;
        SCOPED_TRACE("method " + std::to_string(r.method) + " height \"" + r.height +
                     "\" weight \"" + r.weight + "\" chest girth \"" + r.chestGirth + "\"");
        const Outcome outcome = Calculate(r, sep);
        EXPECT_EQ(outcome.output, WithSeparator(c.expected, sep));
        const std::vector<std::string> expectedWarnings =
            c.overflow ? std::vector<std::string>{kOverflow} : std::vector<std::string>{};
        EXPECT_EQ(outcome.warnings, expectedWarnings);
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, Reports, testing::Values(".", ","),
                         [](const auto& info) { return info.param == "." ? "FullStop" : "Comma"; });

// The window's toolkit sets the process locale from the environment, and
// with it the C library's own number conversions; the reports must not
// change with it. The table's requests and random measurements, each under
// "C" and under bg_BG.UTF-8, must give the same bytes.
TEST(ProcessLocale, ReportsAreTheSameUnderCAndBulgarian) {
    std::vector<Request> requests;
    for (const auto& c : kReports) requests.push_back(c.request);
    std::mt19937 random(2612);
    const auto measurement = [&](int from, int to) {
        const int hundredths = std::uniform_int_distribution<int>(from * 100, to * 100)(random);
        const int cents = hundredths % 100;
        return std::to_string(hundredths / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
    };
    for (int i = 0; i < 2000; ++i)
        requests.push_back(
            {i % kOptionCount, measurement(140, 210), measurement(35, 150), measurement(70, 130)});

    const std::string before = std::setlocale(LC_ALL, nullptr);
    std::vector<std::string> underC, underBulgarian;
    for (const std::string sep : {".", ","})
        for (const auto& r : requests) underC.push_back(Calculate(r, sep).output);
    const std::string problem = testing_support::SetCommaLocale("bg_BG.UTF-8");
    if (problem.empty())
        for (const std::string sep : {".", ","})
            for (const auto& r : requests) underBulgarian.push_back(Calculate(r, sep).output);
    std::setlocale(LC_ALL, before.c_str());
    ASSERT_EQ(problem, "");
    ASSERT_EQ(underBulgarian.size(), underC.size());
    for (std::size_t i = 0; i < underC.size(); ++i)
        ASSERT_EQ(underBulgarian[i], underC[i]) << "request " << i % requests.size();
}

class FormHandlers : public testing::Test {
protected:
    MemoryFormState state{kStartText};
    Form form{state, "."};

    void Type(const std::string& height, const std::string& weight, const std::string& girth = "") {
        state.inputs = {height, weight, girth};
    }
};

TEST_F(FormHandlers, LoadEmptiesInputsAndUnchecksButKeepsTheReferenceText) {
    state.inputs = {"1", "2", "3"};
    state.ages = {"12", "3"};
    state.checked = {true, true, true, true};
    state.sexes = {true, false};
    form.Form_Load();
    EXPECT_EQ(state.inputs, (std::array<std::string, 3>{"", "", ""}));
    EXPECT_EQ(state.ages, (std::array<std::string, 2>{"", ""}));
    EXPECT_EQ(state.checked, (std::array<bool, 4>{}));
    EXPECT_EQ(state.sexes, (std::array<bool, 2>{}));
    EXPECT_EQ(state.output, kStartText);
    EXPECT_FALSE(state.chestGirthLabelVisible);
    EXPECT_FALSE(state.chestGirthInputVisible);
    EXPECT_EQ(form.MethodIndex(), 0);
}

TEST_F(FormHandlers, CalculateBeforeAnyChoiceRunsTheBodyMassIndex) {
    form.Form_Load();
    Type("170", "72");
    form.Command1_Click(kCalculate);
    EXPECT_EQ(state.output, Bmi("24.91", "нормално тегло,"));
}

TEST_F(FormHandlers, ChestGirthRowFollowsTheChoiceAndKeepsItsText) {
    form.Form_Load();
    const struct {
        int option;
        bool visible;
    } steps[] = {{3, true}, {0, false}, {3, true}, {1, false}, {2, false}, {3, true}};
    state.inputs[kChestGirth] = "90";
    for (const auto& s : steps) {
        form.Option1_Click(s.option);
        EXPECT_EQ(form.MethodIndex(), s.option);
        EXPECT_EQ(state.chestGirthLabelVisible, s.visible) << s.option;
        EXPECT_EQ(state.chestGirthInputVisible, s.visible) << s.option;
        EXPECT_EQ(state.inputs[kChestGirth], "90");
    }
}

TEST_F(FormHandlers, ClearResetsInputsAndOptionsButNotTheMethodOrTheRow) {
    form.Form_Load();
    form.Option1_Click(3);
    Type("170", "60", "90");
    state.ages = {"12", "3"};
    state.checked[3] = true;  // the window checks the button the user clicked
    state.sexes[kGirl] = true;
    form.Command1_Click(kClear);
    EXPECT_EQ(state.output, "Направете нов избор");
    EXPECT_EQ(state.inputs, (std::array<std::string, 3>{"", "", ""}));
    EXPECT_EQ(state.ages, (std::array<std::string, 2>{"", ""}));
    EXPECT_EQ(state.checked, (std::array<bool, 4>{}));
    EXPECT_EQ(state.sexes, (std::array<bool, 2>{}));
    EXPECT_TRUE(state.chestGirthLabelVisible);
    EXPECT_TRUE(state.chestGirthInputVisible);
    EXPECT_EQ(form.MethodIndex(), 3);

    // Calculate after Clear runs the method chosen last.
    Type("170", "60", "90");
    form.Command1_Click(kCalculate);
    EXPECT_EQ(state.output,
              Verdict(kBorngard, {"Желано тегло: 63.75", "Можете да си позволите още: 3.75"}));
}

TEST_F(FormHandlers, EveryCalculateStartsAFreshReport) {
    form.Form_Load();
    form.Option1_Click(2);
    Type("170", "72");
    form.Command1_Click(kCalculate);
    form.Command1_Click(kCalculate);
    EXPECT_EQ(state.output, Verdict(kBreitman, {"Желано тегло: 69", "Наднормено тегло: 3"}));
}

TEST_F(FormHandlers, AfterAnOverflowTheNextCalculateWorks) {
    form.Form_Load();
    form.Option1_Click(1);
    Type("170", "9e9");
    form.Command1_Click(kCalculate);
    EXPECT_EQ(state.output, kBroca);
    Type("170", "72");
    form.Command1_Click(kCalculate);
    EXPECT_EQ(state.output, Verdict(kBroca, {"Желано тегло: 65", "Наднормено тегло: 7"}));
    EXPECT_EQ(state.warnings, std::vector<std::string>{kOverflow});
}

TEST_F(FormHandlers, UnknownIndicesChangeNothing) {
    form.Form_Load();
    form.Option1_Click(2);
    for (int index : {-1, 4, 32767}) {
        form.Option1_Click(index);
        form.Command1_Click(index == 4 ? 2 : index);
    }
    EXPECT_EQ(form.MethodIndex(), 2);
    EXPECT_EQ(state.output, kStartText);
}

// Where the boxes stand on the scale: the index is the body mass index
// method's for the same boxes, the desired weight the chosen method's; an
// overflow of the method leaves nothing to show, one of the index alone
// leaves the index out. A child stands at the child's index with no
// desired weight; an adult's by Broca is also corrected for the age.
TEST(Standing, FollowsTheMethodsAndTheirOverflows) {
    constexpr auto none = std::nullopt;
    using Weights = std::optional<std::pair<int, int>>;
    const struct {
        Request request;
        std::optional<double> index, desired, desiredIndex;
        bool shown = true;
        Weights forAge = std::nullopt;
    } rows[] = {
        {{0, "95", "14", "", "3", "", kGirl}, 15.51, none, none},
        {{1, "150", "38", "", "12", "", kBoy}, 16.89, none, none},
        {{1, "150", "38", "", "12", ""}, none, none, none},  // no sex: no class, no place
        {{1, "180", "70", "", "25", "", kGirl}, 21.6, 70, 21.6, true, std::pair(62, 63)},
        {{1, "180", "70", "", "55", "11"}, 21.6, 70, 21.6, true, std::pair(74, 74)},
        {{1, "180", "70", "", "40", ""}, 21.6, 70, 21.6},
        {{2, "180", "70", "", "25", ""}, 21.6, 76, 23.46},  // Broca's correction alone
        {{0, "170", "72", ""}, 24.91, none, none},
        {{1, "170", "72", ""}, 24.91, 65, 22.49},
        {{1, "150", "72", ""}, 32, none, none},  // Broca refuses: no desired weight
        {{2, "", "60", ""}, 60, -50, -50},
        {{3, "170", "1e5", "90"}, none, 63.75, 22.06},
        {{0, "170", "9e9", ""}, none, none, none, false},
        {{3, "170", "72", "9e9"}, none, none, none, false},
        {{3, "-1.7e308", "1.797e308", "1"}, none, none, none, false},
    };
    for (const auto& row : rows) {
        const Request& r = row.request;
        SCOPED_TRACE(std::to_string(r.method) + " " + r.height + " " + r.weight);
        const std::optional<calc::Sex> sex =
            r.sex < 0 ? std::nullopt : std::optional(calc::Sex(r.sex));
        const auto standing = StandingOf({r.height, r.weight, r.chestGirth},
                                         {r.years, r.months, sex}, Method(r.method));
        ASSERT_EQ(standing.has_value(), row.shown);
        if (!standing) continue;
        EXPECT_EQ(standing->index, row.index);
        EXPECT_EQ(standing->desired, row.desired);
        EXPECT_EQ(standing->desiredIndex, row.desiredIndex);
        const auto forAge = standing->desiredForAge;
        EXPECT_EQ(forAge ? Weights(std::pair(forAge->low, forAge->high)) : none, row.forAge);
    }
}

// The normal weights at every height a box can hold agree with the method
// to the kilogram, at the height it computes with (100 cm at the least).
TEST(Standing, NormalWeightsAreThoseTheIndexClassesNormal) {
    std::vector<std::string> heights{"1,7", "", "-5"};
    for (int h = 0; h <= 999; ++h) heights.push_back(std::to_string(h));
    const auto classed = [](const std::string& height, int weight) {
        calc::Report report(".");
        calc::CalcBodyMassIndex({height, std::to_string(weight), ""}, report);
        return report.Text().substr(report.Text().find(kCrLf) + 2);
    };
    const std::string normal = std::string(calc::kWeightClasses[calc::kNormalClass].line) + kCrLf;
    for (const std::string& height : heights) {
        SCOPED_TRACE(height);
        const auto range = calc::NormalWeights(height);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->heightCm, std::max(calc::ParseNumber(height), 100.0));
        EXPECT_EQ(classed(height, range->low), normal);
        EXPECT_EQ(classed(height, range->high), normal);
        EXPECT_NE(classed(height, range->low - 1), normal);
        EXPECT_NE(classed(height, range->high + 1), normal);
    }
    EXPECT_FALSE(calc::NormalWeights("9e9"));  // no weight the method reads is normal there
}

}  // namespace
}  // namespace form
