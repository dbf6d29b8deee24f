// SPDX-License-Identifier: GPL-3.0-or-later
// The design as one view: every fact of it the site's templates render and
// the page's tests read (design.json), from design/ and the form's texts.
#pragma once

#include <nlohmann/json.hpp>

namespace web {

nlohmann::ordered_json View();

}  // namespace web
