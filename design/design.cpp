// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/design.h"

namespace design {

std::string BoxShownMessage(std::string_view labelCaption) {
    const auto first = labelCaption.find_first_not_of(' ');
    const auto last = labelCaption.find_last_not_of(' ');
    std::string_view caption =
        first == std::string_view::npos ? "" : labelCaption.substr(first, last - first + 1);
    if (caption.ends_with(':')) caption.remove_suffix(1);
    return "Появи се поле „" + std::string(caption) + "“";
}

}  // namespace design
