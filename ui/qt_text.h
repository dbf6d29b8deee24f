// SPDX-License-Identifier: GPL-3.0-or-later
// The design's texts, which are UTF-8, as Qt strings.
#pragma once

#include <QString>
#include <string_view>

namespace ui {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace ui
