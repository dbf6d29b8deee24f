// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/design.h"

#include <stdexcept>

namespace design {

std::string NameOf(const ControlDesign& control) {
    return std::string(control.name) + '(' + std::to_string(control.index) + ')';
}

const ControlDesign& ControlNamed(std::string_view name) {
    for (const ControlDesign& d : kControls)
        if (NameOf(d) == name) return d;
    throw std::out_of_range("no control " + std::string(name));
}

const ButtonEdges& EdgesOf(const ControlDesign& button) {
    for (const ButtonEdges& e : kButtonEdges)
        if (e.control == NameOf(button)) return e;
    throw std::out_of_range("no edges for " + NameOf(button));
}

std::string BoxShownMessage(std::string_view labelCaption) {
    const auto first = labelCaption.find_first_not_of(' ');
    const auto last = labelCaption.find_last_not_of(' ');
    std::string_view caption =
        first == std::string_view::npos ? "" : labelCaption.substr(first, last - first + 1);
    if (caption.ends_with(':')) caption.remove_suffix(1);
    return "Появи се поле „" + std::string(caption) + "“";
}

}  // namespace design
