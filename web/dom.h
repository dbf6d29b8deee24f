// SPDX-License-Identifier: GPL-3.0-or-later
// How the page names the design's controls: the control "Text2(0)" is the
// element with id "Text2-0" (an id with parentheses would need escaping in
// every selector).
#pragma once

#include <string>
#include <string_view>

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

}  // namespace web
