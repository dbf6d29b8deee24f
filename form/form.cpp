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

}  // namespace

std::optional<Standing> StandingOf(const calc::Inputs& boxes, Method method) {
    calc::Report unused(".");
    Standing s;
    try {
        s.desired = Run(method, boxes, unused);
    } catch (const calc::Overflow&) {
        return std::nullopt;
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
    return s;
}

Form::Form(FormState& state, std::string decimalSeparator)
    : state_(state), decimalSeparator_(std::move(decimalSeparator)) {}

void Form::Form_Load() { ResetInputs(); }

void Form::ResetInputs() {
    for (int i = 0; i < kInputCount; ++i) state_.SetInputText(i, "");
    for (int i = 0; i < kOptionCount; ++i) state_.SetOptionValue(i, false);
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

    const std::string height = state_.InputText(kHeight);
    const std::string weight = state_.InputText(kWeight);
    const std::string chestGirth = state_.InputText(kChestGirth);
    calc::Report report(decimalSeparator_);
    bool overflow = false;
    const calc::Inputs inputs{height, weight, chestGirth};
    try {
        Run(ChosenMethod(), inputs, report);
    } catch (const calc::Overflow&) {
        overflow = true;
    }
    // Appended to what the box holds, as read back from it.
    if (!report.Text().empty()) state_.SetOutputText(state_.OutputText() + report.Text());
    if (overflow) state_.ShowOverflowWarning(std::string(kOverflowMessage));
}

}  // namespace form
