// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/form.h"

#include <utility>

#include "calc/methods.h"
#include "calc/number_text.h"

namespace form {
namespace {

// Called directly, not through a table of function pointers: in WebKitGTK
// 2.50's WebAssembly an exception thrown below an indirect call escaped the
// caller's catch, and the page showed no warning. -> the desired weight the
// method reported, if any.
std::optional<double> Run(Method method, const calc::Inputs& inputs, calc::Report& report) {
    switch (method) {
        case Method::BodyMassIndex:
            calc::CalcBodyMassIndex(inputs, report);
            return std::nullopt;
        case Method::Broca:
            return calc::CalcBroca(inputs, report);
        case Method::Breitman:
            return calc::CalcBreitman(inputs, report);
        case Method::Borngard:
            return calc::CalcBorngard(inputs, report);
    }
    return std::nullopt;
}

using Status = calc::AgeJudgement::Status;

// The method's report, and what the age and sex change in it. The body
// mass index gives a child's class, or why there is none, in place of the
// adult class; an adult method says that its desired weight is for adults.
void Report(Method method, const calc::Inputs& inputs, const calc::PersonBoxes& person,
            calc::Report& report) {
    if (method != Method::BodyMassIndex) {
        Run(method, inputs, report);
        const calc::AgeJudgement age = calc::JudgeByAge(inputs, person, report.Separator());
        if (age.ChildsAge() || age.status == Status::Refused) report.EndLine();
        if (age.ChildsAge()) report.AppendLine(calc::kForAdultsLine);
        if (age.status == Status::Refused) report.AppendLine(age.refusal);
        return;
    }
    const calc::AgeJudgement age = calc::JudgeByAge(inputs, person, report.Separator());
    if (age.status == Status::NoAge || age.status == Status::Adult) {
        calc::CalcBodyMassIndex(inputs, report);
        return;
    }
    const double index = age.status == Status::Child ? age.index
                         : age.refusedIndex          ? *age.refusedIndex
                                                     : calc::BodyMassIndex(inputs);
    report.AppendLine(calc::kIndexLabel, index);
    report.AppendLine(age.status == Status::Child ? calc::ChildClassLine(age, report.Separator())
                                                  : age.refusal);
}

}  // namespace

Typed Read(const FormState& state) {
    Typed typed;
    for (int i = 0; i < kInputCount; ++i) typed.inputs[i] = state.InputText(i);
    for (int i = 0; i < kAgeBoxCount; ++i) typed.ages[i] = state.AgeText(i);
    const bool boy = state.SexValue(kBoy), girl = state.SexValue(kGirl);
    if (boy != girl) typed.sex = boy ? calc::Sex::Boy : calc::Sex::Girl;
    return typed;
}

std::optional<Standing> StandingOf(const calc::Inputs& boxes, const calc::PersonBoxes& person,
                                   Method method) {
    calc::Report unused(".");
    Standing s;
    try {
        s.desired = Run(method, boxes, unused);
        s.age = calc::JudgeByAge(boxes, person, ".");
    } catch (const calc::Overflow&) {
        return std::nullopt;
    }
    if (s.age.status == Status::Child) {
        s.index = s.age.index;
        s.normal = s.age.normal;
        s.desired = std::nullopt;
        return s;
    }
    // An age that cannot be judged gives no class, on the scale neither.
    if (s.age.status == Status::Refused) {
        Standing nothing;
        nothing.age = s.age;
        return nothing;
    }
    // Each part of its own: a weight too large for the body mass index
    // still has its desired weight and its height's range.
    const auto part = [](auto compute) -> std::optional<decltype(compute())> {
        try {
            return compute();
        } catch (const calc::Overflow&) {
            return std::nullopt;
        }
    };
    s.index = part([&] { return calc::BodyMassIndex(boxes); });
    s.normal = part([&] { return calc::NormalWeights(boxes.height); }).value_or(std::nullopt);
    if (s.desired)
        s.desiredIndex =
            part([&] { return calc::IndexOf(*s.desired, calc::IndexHeight(boxes.height)); });
    if (method == Method::Broca && s.desired && s.age.status == Status::Adult)
        s.desiredForAge = calc::BrocaForAge(*s.desired, *s.age.months / 12);
    return s;
}

Form::Form(FormState& state, std::string decimalSeparator)
    : state_(state), decimalSeparator_(std::move(decimalSeparator)) {}

void Form::Form_Load() { ResetInputs(); }

void Form::ResetInputs() {
    for (int i = 0; i < kInputCount; ++i) state_.SetInputText(i, "");
    for (int i = 0; i < kAgeBoxCount; ++i) state_.SetAgeText(i, "");
    for (int i = 0; i < kOptionCount; ++i) state_.SetOptionValue(i, false);
    for (int i = 0; i < kSexCount; ++i) state_.SetSexValue(i, false);
}

void Form::Option1_Click(int index) {
    // Only the four option buttons exist; anything else would later name a
    // caption that is not there.
    if (index < 0 || index >= kOptionCount) return;
    // The one method that reads the chest girth.
    const bool borngard = Method(index) == Method::Borngard;
    state_.SetChestGirthLabelVisible(borngard);
    state_.SetChestGirthInputVisible(borngard);
    methodIndex_ = static_cast<std::int16_t>(index);
}

void Form::Command1_Click(int index) {
    if (index == kCalculate) {
        Calculate();
    } else if (index == kClear) {
        ResetInputs();
        state_.SetOutputText(std::string(kClearedText));
    }
}

void Form::Calculate() {
    const std::string header = std::string(kHeaderLabel) + state_.OptionCaption(methodIndex_) +
                               std::string(calc::kLineEnd);
    state_.SetOutputText(header);

    const Typed typed = Read(state_);
    calc::Report report(decimalSeparator_);
    bool overflow = false;
    try {
        Report(ChosenMethod(), typed.Boxes(), typed.Person(), report);
    } catch (const calc::Overflow&) {
        overflow = true;
    }
    // Appended to what the box holds, as read back from it.
    if (!report.Text().empty()) state_.SetOutputText(state_.OutputText() + report.Text());
    if (overflow) state_.ShowOverflowWarning(std::string(kOverflowMessage));
}

}  // namespace form
