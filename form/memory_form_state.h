// SPDX-License-Identifier: GPL-3.0-or-later
// A FormState held in plain memory, for running the logic without a window.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "form/form.h"
#include "form/form_state.h"

namespace form {

class MemoryFormState : public FormState {
public:
    explicit MemoryFormState(std::string output = "") : output(std::move(output)) {
        for (int i = 0; i < kOptionCount; ++i) captions[i] = std::string(kMethodCaptions[i]);
    }

    std::string InputText(int index) const override { return inputs.at(index); }
    void SetInputText(int index, const std::string& text) override { inputs.at(index) = text; }
    std::string OutputText() const override { return output; }
    void SetOutputText(const std::string& text) override { output = text; }
    std::string OptionCaption(int index) const override { return captions.at(index); }
    void SetOptionValue(int index, bool value) override { checked.at(index) = value; }
    std::string AgeText(int index) const override { return ages.at(index); }
    void SetAgeText(int index, const std::string& text) override { ages.at(index) = text; }
    bool SexValue(int index) const override { return sexes.at(index); }
    void SetSexValue(int index, bool value) override { sexes.at(index) = value; }
    void SetChestGirthLabelVisible(bool visible) override { chestGirthLabelVisible = visible; }
    void SetChestGirthInputVisible(bool visible) override { chestGirthInputVisible = visible; }
    void ShowOverflowWarning(const std::string& message) override { warnings.push_back(message); }

    std::array<std::string, kInputCount> inputs;
    std::string output;
    std::array<std::string, kOptionCount> captions;
    std::array<bool, kOptionCount> checked{};
    std::array<std::string, kAgeBoxCount> ages;
    std::array<bool, kSexCount> sexes{};
    bool chestGirthLabelVisible = false;
    bool chestGirthInputVisible = false;
    std::vector<std::string> warnings;
};

}  // namespace form
