// SPDX-License-Identifier: GPL-3.0-or-later
// How the page names and writes the design's controls: the control
// "Text2(0)" is the element with id "Text2-0" (an id with parentheses would
// need escaping in every selector), and the parts of the scale the module
// moves are named after the scale's element.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "design/design.h"

namespace web {

inline std::string ElementId(std::string_view name, int index) {
    return std::string(name) + '-' + std::to_string(index);
}

// "Text2(0)" -> "Text2-0".
inline std::string ElementId(std::string_view designName) {
    std::string id(designName);
    if (id.ends_with(')')) id.pop_back();
    if (const auto open = id.rfind('('); open != std::string::npos) id[open] = '-';
    return id;
}

// The scale's bands, its boundaries, and each boundary's label: "Picture1-0-band-2".
inline constexpr std::string_view kBandPart = "band";
inline constexpr std::string_view kBoundaryPart = "boundary";
inline constexpr std::string_view kLabelPart = "label";
inline std::string PartId(std::string_view scaleId, std::string_view part, std::size_t index) {
    return std::string(scaleId) + '-' + std::string(part) + '-' + std::to_string(index);
}
// The class of a boundary's label that is left out where the strip is
// narrower than the window.
inline constexpr std::string_view kMinorClass = "minor";

// A design colour as the page writes it: "#c0c0ff".
inline std::string Hex(const design::Rgb& c) {
    constexpr std::string_view digits = "0123456789abcdef";
    std::string hex = "#";
    for (int part : {c.red, c.green, c.blue}) hex += {digits[part / 16], digits[part % 16]};
    return hex;
}

}  // namespace web
