// SPDX-License-Identifier: GPL-3.0-or-later
// Text contrast measured on pixels, by the guidelines' formula (wcag.h).
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <functional>
#include <vector>

#include "tests/support/wcag.h"

namespace testing_support {

// The least contrast the guidelines accept for ordinary text.
inline constexpr double kMinimumContrast = 4.5;
// ... and for what shows where a control is, and the focus.
inline constexpr double kMinimumNonTextContrast = 3.0;

inline double Luminance(const QColor& c) { return RelativeLuminance(c.red(), c.green(), c.blue()); }

inline double ContrastRatio(const QColor& a, const QColor& b) {
    return ContrastOfLuminances(Luminance(a), Luminance(b));
}

struct TextOnFace {
    QColor face;      // the commonest colour of the area
    double contrast;  // of the text's solid pixels against the face
};

// Text drawn in `area` of `image`: the face is the area's commonest colour;
// the text's contrast is the one reached by its `solidPixels` pixels that
// stand out most, so that anti-aliased edges and a stray pixel or two of
// something else do not decide it. An area with less text than that
// measures as no contrast at all.
inline TextOnFace MeasureText(const QImage& image, const QRect& area, int solidPixels = 20) {
    QHash<QRgb, int> counts;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    QRgb face = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), face = it.key();
    std::vector<double> contrasts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        contrasts.insert(contrasts.end(), it.value(),
                         ContrastRatio(QColor(it.key()), QColor(face)));
    if (int(contrasts.size()) < solidPixels) return {QColor(face), 1.0};
    std::nth_element(contrasts.begin(), contrasts.begin() + (solidPixels - 1), contrasts.end(),
                     std::greater<>());
    return {QColor(face), contrasts[solidPixels - 1]};
}

// Whether any pixel of column x, from top to bottom of `area`, differs
// from `face`: text reaching the edge of its room has been cut there.
inline bool ColumnHasInk(const QImage& image, const QRect& area, int x, const QColor& face) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        if (QColor(image.pixel(x, y)) != face) return true;
    return false;
}

}  // namespace testing_support
