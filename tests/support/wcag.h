// SPDX-License-Identifier: GPL-3.0-or-later
// Contrast as the web accessibility guidelines (WCAG 2.2) define it: the
// relative luminance of an sRGB colour, and the ratio (L1 + 0.05) /
// (L2 + 0.05). The one formula of the tests: the window's measure pixels
// with it, the page's ask report_dump for it.
#pragma once

#include <algorithm>
#include <cmath>

namespace testing_support {

// Of a colour of 0..255 channels.
inline double RelativeLuminance(int red, int green, int blue) {
    const auto linear = [](int value) {
        const double s = value / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
}

inline double ContrastOfLuminances(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace testing_support
