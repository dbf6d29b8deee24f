// SPDX-License-Identifier: GPL-3.0-or-later
// What both front ends do around the form's handlers, so that the window and
// the page behave alike: how the output box's text is held, and what a screen
// reader is told when. Plain C++, no toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "design/scale.h"
#include "form/form.h"
#include "form/form_state.h"

namespace design {

// The form writes CR LF; a text widget or element holds line feeds alone.
std::string ToDisplayText(std::string_view formText);
std::string ToFormText(std::string_view displayText);

// What follows a push button's handler (or Enter's in a box): what a screen
// reader is told (what the output box now says, the report, the refusal or
// the call for a new choice, and after a Calculate the normal weights for
// the height; the focus stays where the user is), and the strip under the
// report, when it changes.
struct CommandOutcome {
    std::string announcement;
    std::optional<Strip> strip;
};
// Runs the handler on the form whose state is `state`.
CommandOutcome Command(form::Form& form, const form::FormState& state, int index);

// What a screen reader is told when the chest-girth box comes into view,
// from the caption beside it: "Появи се поле „Гръдна обиколка [см]“".
std::string ChestGirthShownMessage();
// Told when the chest-girth box is shown or hidden, if anything: a box that
// comes into view is out of sight for a screen-reader user until told of.
std::optional<std::string> ChestGirthAnnouncement(bool wasHidden, bool visible);

}  // namespace design
