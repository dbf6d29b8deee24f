// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, a hamburger seen from the side, as the pixels both
// front ends paint: the Qt window's icon and the web page's favicon and app
// icons come from the one drawing in teglomer.xpm.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace design {

struct Rgba {
    std::uint8_t red, green, blue, alpha;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// Row by row from the top left; empty (0 x 0) when there is nothing to show.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;

    const Rgba& At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Decodes an XPM image given as its strings in order (the array an XPM file
// declares). Colours are "#RRGGBB" or "None" (fully transparent black); any
// other form, or strings that do not add up, give an empty image rather
// than a guess.
Image DecodeXpm(std::span<const char* const> strings);

// The drawing, 32 x 32, with a transparent background.
Image IconDrawing();

}  // namespace design
