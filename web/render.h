// SPDX-License-Identifier: GPL-3.0-or-later
// A template of the site rendered by Mustache (Debian's kainjow-mustache)
// from a JSON view, strictly: a name the view does not hold fails.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace web {

enum class Escape { Html, Json, None };

// The template's text rendered with the view, each value escaped for the
// kind of file; std::runtime_error names what went wrong.
std::string Render(const std::string& text, const nlohmann::ordered_json& view, Escape escape);

}  // namespace web
