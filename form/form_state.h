// SPDX-License-Identifier: GPL-3.0-or-later
// The window as the logic sees it: the few control properties the handlers
// read and write. The window implements it; tests use MemoryFormState.
#pragma once

#include <string>

namespace form {

// Indices of the input boxes Text2(0..2).
enum InputBox : int { kHeight = 0, kWeight = 1, kChestGirth = 2 };
inline constexpr int kInputCount = 3;
inline constexpr int kOptionCount = 4;
// Indices of the age boxes Text3(0..1), in whole years and months, and of
// the sex's option buttons Option2(0..1).
enum AgeBox : int { kAgeYears = 0, kAgeMonths = 1 };
inline constexpr int kAgeBoxCount = 2;
enum SexOption : int { kBoy = 0, kGirl = 1 };
inline constexpr int kSexCount = 2;

class FormState {
public:
    virtual ~FormState() = default;

    // Text of input box Text2(index), index 0..2; UTF-8.
    virtual std::string InputText(int index) const = 0;
    virtual void SetInputText(int index, const std::string& text) = 0;

    // Text of the output box Text1(0); its lines end in CR LF.
    virtual std::string OutputText() const = 0;
    virtual void SetOutputText(const std::string& text) = 0;

    // Caption of option button Option1(index), index 0..3.
    virtual std::string OptionCaption(int index) const = 0;
    // The logic only ever unchecks; doing so raises no click.
    virtual void SetOptionValue(int index, bool checked) = 0;

    // Text of age box Text3(index), index 0..1; UTF-8.
    virtual std::string AgeText(int index) const = 0;
    virtual void SetAgeText(int index, const std::string& text) = 0;

    // Whether the sex's option button Option2(index), index 0..1, is
    // checked; the logic reads it and only ever unchecks it.
    virtual bool SexValue(int index) const = 0;
    virtual void SetSexValue(int index, bool checked) = 0;

    // Visibility of the chest-girth caption Label2(2) and box Text2(2).
    virtual void SetChestGirthLabelVisible(bool visible) = 0;
    virtual void SetChestGirthInputVisible(bool visible) = 0;

    // Tells the user that a number was out of range; the window shows a
    // warning dialog and stays usable.
    virtual void ShowOverflowWarning(const std::string& message) = 0;
};

}  // namespace form
