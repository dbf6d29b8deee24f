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

std::string CommandAnnouncement(const form::FormState& state) {
    return ToDisplayText(state.OutputText());
}

std::string ChestGirthAnnouncement(bool wasHidden, bool visible) {
    if (!wasHidden || !visible) return {};
    return BoxShownMessage(ControlNamed(kBoxCaptions[form::kChestGirth].label).caption);
}

}  // namespace design
