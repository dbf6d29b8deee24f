// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/presentation.h"

#include "design/design.h"

namespace design {
namespace {

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t found = text.find(from, at);
        out += text.substr(at, found - at);
        if (found == std::string_view::npos) return out;
        out += to;
        at = found + from.size();
    }
}

}  // namespace

std::string ToDisplayText(std::string_view formText) { return Replaced(formText, "\r\n", "\n"); }

std::string ToFormText(std::string_view displayText) { return Replaced(displayText, "\n", "\r\n"); }

CommandOutcome Command(form::Form& form, const form::FormState& state, int index) {
    form.Command1_Click(index);
    CommandOutcome outcome{ToDisplayText(state.OutputText()), std::nullopt};
    if (index == form::kClear) outcome.strip = StripAtStart(form.DecimalSeparator());
    if (index != form::kCalculate) return outcome;
    const form::Typed typed = form::Read(state);
    const Strip& strip = *(outcome.strip = StripOf(
                               form::StandingOf(typed.Boxes(), typed.Person(), form.ChosenMethod()),
                               form.ChosenMethod(), form.DecimalSeparator()));
    // Then what the strip says that the report does not: a child's class
    // after an adult method, the normal weights, and whose classes they are
    // or the desired weight for the age, where that is news.
    std::string& said = outcome.announcement;
    const auto tell = [&said](const std::string& line) {
        if (line.empty() || said.find(line) != std::string::npos) return;
        said += (said.ends_with('\n') ? "" : "\n") + line;
    };
    tell(strip.classLine);
    tell(strip.rangeNote);
    if (strip.scopeNote != kScopeNote) tell(strip.scopeNote);
    return outcome;
}

std::string ChestGirthShownMessage() {
    // The caption without its colon and the spaces round it.
    const std::string_view label = ControlNamed(kBoxCaptions[form::kChestGirth].label).caption;
    const auto first = label.find_first_not_of(' ');
    const auto last = label.find_last_not_of(' ');
    std::string_view caption =
        first == std::string_view::npos ? "" : label.substr(first, last - first + 1);
    if (caption.ends_with(':')) caption.remove_suffix(1);
    return "Появи се поле „" + std::string(caption) + "“";
}

std::optional<std::string> ChestGirthAnnouncement(bool wasHidden, bool visible) {
    if (!wasHidden || !visible) return std::nullopt;
    return ChestGirthShownMessage();
}

}  // namespace design
