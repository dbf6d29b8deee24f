// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers through which every user action enters the logic.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calc/age.h"
#include "calc/methods.h"
#include "form/form_state.h"

namespace form {

// The four methods, by the index of their option button (= MethodIndex);
// Form::Calculate runs each.
enum class Method : std::int16_t { BodyMassIndex, Broca, Breitman, Borngard };

// The option buttons' captions, by method.
inline constexpr std::array<std::string_view, kOptionCount> kMethodCaptions{
    "индекс на телесната маса",
    "индекс на Брок",
    "индекс на Брейтман",
    "индекс на Борнгард",
};

inline constexpr int kCalculate = 0;  // Command1(0), "Изчисли"
inline constexpr int kClear = 1;      // Command1(1), "Изтрий"

inline constexpr std::string_view kHeaderLabel = "Изчисляване: ";
inline constexpr std::string_view kClearedText = "Направете нов избор";
inline constexpr std::string_view kOverflowMessage =
    "Въведеното число е извън допустимия обхват (от -32768 до 32767).";

// Where the boxes stand on the scale under the report, after a Calculate
// with `method`: the index the body mass index method gives them, the whole
// kilograms it classes normal at their height, and the method's desired
// weight with that weight's index at the same height. Each is none where
// its numbers do not fit or the method gives none; all of it is none where
// the method itself overflows, and its warning stands alone. A child is
// judged by age and sex: the index and normal weights are the child's, and
// an adult method's desired weight is not shown; an age that cannot be
// judged leaves none of them. An adult's desired weight by Broca is also
// given corrected for the age. Writes nothing.
struct Standing {
    std::optional<double> index;
    std::optional<calc::WeightRange> normal;
    std::optional<double> desired;
    std::optional<double> desiredIndex;
    calc::AgeJudgement age;
    std::optional<calc::WholeWeights> desiredForAge;
};
std::optional<Standing> StandingOf(const calc::Inputs& boxes, const calc::PersonBoxes& person,
                                   Method method);

// The boxes' texts and the sex chosen, as the window shows them.
struct Typed {
    std::array<std::string, kInputCount> inputs;
    std::array<std::string, kAgeBoxCount> ages;
    std::optional<calc::Sex> sex;

    calc::Inputs Boxes() const { return {inputs[kHeight], inputs[kWeight], inputs[kChestGirth]}; }
    calc::PersonBoxes Person() const { return {ages[kAgeYears], ages[kAgeMonths], sex}; }
};
// The sex is none unless exactly one of its buttons is checked.
Typed Read(const FormState& state);

class Form {
public:
    // The decimal separator of the user's regional settings, used for every
    // number the methods write.
    Form(FormState& state, std::string decimalSeparator);
    const std::string& DecimalSeparator() const { return decimalSeparator_; }

    void Form_Load();
    void Option1_Click(int index);
    void Command1_Click(int index);
    void ResetInputs();

    // The method chosen last; kept through Clear.
    std::int16_t MethodIndex() const { return methodIndex_; }
    Method ChosenMethod() const { return Method(methodIndex_); }

private:
    void Calculate();

    FormState& state_;
    std::string decimalSeparator_;
    std::int16_t methodIndex_ = 0;
};

}  // namespace form
