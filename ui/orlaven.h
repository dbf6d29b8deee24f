// SPDX-License-Identifier: GPL-3.0-or-later
// The program's only window. It is built from the design table, implements
// the form's state over its widgets, and hands the user's clicks to the
// handlers.
#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "design/scale.h"
#include "form/form.h"
#include "form/form_state.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace ui {

class Announcer;
class ScaleStrip;

class Orlaven : public QWidget, public form::FormState {
    Q_OBJECT

public:
    // Numbers are written with the decimal separator of the system locale.
    explicit Orlaven(QWidget* parent = nullptr);
    Orlaven(const QString& decimalSeparator, QWidget* parent);

    std::string InputText(int index) const override;
    void SetInputText(int index, const std::string& text) override;
    std::string OutputText() const override;
    void SetOutputText(const std::string& text) override;
    std::string OptionCaption(int index) const override;
    void SetOptionValue(int index, bool checked) override;
    std::string AgeText(int index) const override;
    void SetAgeText(int index, const std::string& text) override;
    bool SexValue(int index) const override;
    void SetSexValue(int index, bool checked) override;
    void SetChestGirthLabelVisible(bool visible) override;
    void SetChestGirthInputVisible(bool visible) override;
    void ShowOverflowWarning(const std::string& message) override;

    const form::Form& Form() const { return form_; }

private:
    void Build(const QFont& font);
    // Runs the handler of a push button (or of Enter in a box), then tells
    // screen readers what the output box now says.
    void Command(int index);
    QWidget* Control(std::string_view name) const;
    // The lines under the scale, each hidden while it is empty.
    void ShowNotes(const design::Strip& strip);
    static void SetChecked(QButtonGroup& group, QRadioButton& option, bool checked);

    std::array<QLineEdit*, form::kInputCount> text2_{};
    std::array<QLineEdit*, form::kAgeBoxCount> text3_{};
    std::array<QRadioButton*, form::kOptionCount> option1_{};
    std::array<QRadioButton*, form::kSexCount> option2_{};
    std::array<QPushButton*, 2> command1_{};
    QPlainTextEdit* text1_ = nullptr;
    QButtonGroup* options_ = nullptr;
    QButtonGroup* sexes_ = nullptr;
    Announcer* announcer_ = nullptr;
    ScaleStrip* scale_ = nullptr;
    QLabel* rangeNote_ = nullptr;
    QLabel* scopeNote_ = nullptr;
    form::Form form_;
};

// The window's text with CR LF line ends, from the widget's own line breaks,
// and back.
QString ToWidgetText(const std::string& text);
std::string FromWidgetText(const QString& text);

}  // namespace ui
