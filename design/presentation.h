// SPDX-License-Identifier: GPL-3.0-or-later
// What both front ends do around the form's handlers, so that the window and
// the page behave alike: how the output box's text is held, and what a screen
// reader is told when. Plain C++, no toolkit.
#pragma once

#include <string>
#include <string_view>

#include "form/form_state.h"

namespace design {

// The form writes CR LF; a text widget or element holds line feeds alone.
std::string ToDisplayText(std::string_view formText);
std::string ToFormText(std::string_view displayText);

// Told after a push button's handler (or Enter's in a box) has run: what the
// output box now says, the report, the refusal or the call for a new
// choice. The focus stays where the user is.
std::string CommandAnnouncement(const form::FormState& state);

// Told when the chest-girth box is shown or hidden: a box that comes into
// view is out of sight for a screen-reader user until told of. Empty when
// there is nothing to tell.
std::string ChestGirthAnnouncement(bool wasHidden, bool visible);

}  // namespace design
