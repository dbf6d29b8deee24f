// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/icon.h"

#include <charconv>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

// The drawing is C source, as every XPM file is: an array of strings.
#include "design/teglomer.xpm"

namespace design {
namespace {

// "#RRGGBB" or "None"; nothing else is read.
bool ParseColour(std::string_view text, Rgba& colour) {
    if (text == "None" || text == "none") {
        colour = {0, 0, 0, 0};
        return true;
    }
    if (text.size() != 7 || text[0] != '#') return false;
    std::uint8_t channel[3];
    for (int i = 0; i < 3; ++i) {
        const char* first = text.data() + 1 + 2 * i;
        const auto [end, error] = std::from_chars(first, first + 2, channel[i], 16);
        if (error != std::errc() || end != first + 2) return false;
    }
    colour = {channel[0], channel[1], channel[2], 255};
    return true;
}

// The colour of a line "KEY c VALUE" (other keys such as "m" or "s" may
// come before or after).
bool ParseColourLine(std::string_view rest, Rgba& colour) {
    std::istringstream words{std::string(rest)};
    std::string key, value;
    while (words >> key >> value)
        if (key == "c") return ParseColour(value, colour);
    return false;
}

}  // namespace

Image DecodeXpm(std::span<const char* const> strings) {
    if (strings.empty() || !strings[0]) return {};
    std::istringstream header(strings[0]);
    int width = 0, height = 0, colours = 0, charsPerPixel = 0;
    if (!(header >> width >> height >> colours >> charsPerPixel)) return {};
    if (width <= 0 || height <= 0 || colours <= 0 || charsPerPixel <= 0 ||
        strings.size() < 1 + std::size_t(colours) + std::size_t(height))
        return {};

    std::map<std::string_view, Rgba, std::less<>> palette;
    for (int i = 0; i < colours; ++i) {
        const std::string_view line = strings[1 + i] ? strings[1 + i] : "";
        if (line.size() < std::size_t(charsPerPixel)) return {};
        Rgba colour{};
        if (!ParseColourLine(line.substr(charsPerPixel), colour)) return {};
        palette[line.substr(0, charsPerPixel)] = colour;
    }

    Image image{width, height, {}};
    image.pixels.reserve(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::string_view row = strings[1 + colours + y] ? strings[1 + colours + y] : "";
        if (row.size() != std::size_t(width) * charsPerPixel) return {};
        for (int x = 0; x < width; ++x) {
            const auto found =
                palette.find(row.substr(std::size_t(x) * charsPerPixel, charsPerPixel));
            if (found == palette.end()) return {};
            image.pixels.push_back(found->second);
        }
    }
    return image;
}

Image IconDrawing() { return DecodeXpm(teglomer_icon); }

}  // namespace design
