// SPDX-License-Identifier: GPL-3.0-or-later
// The scale under the report: the body mass index along a bar, in bands of
// its seven classes (a child's by age and sex), with a mark where the boxes
// stand and one at the chosen method's desired weight. Both front ends draw it from these numbers
// alone, in twips from the strip's top left (design.h places the strip); the window with a painter,
// the page as SVG. Plain C++, no toolkit.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/methods.h"
#include "design/design.h"
#include "form/form.h"

namespace design {

// The index the bar shows, from its left end to its right. The classes go on
// past both ends, which are drawn open.
inline constexpr double kScaleFrom = 12;
inline constexpr double kScaleTo = 45;

// Each class's band, from the lowest class up: cold to warm, and each light
// enough that black marks, boundaries and labels stand 3:1 or more on it.
// A child's classes take the first five or six, so that the normal class
// is green for everyone.
inline constexpr std::array<Rgb, calc::kWeightClasses.size()> kBandColours{{
    {128, 192, 255},
    {176, 224, 255},
    {128, 255, 128},
    {255, 255, 128},
    {255, 192, 128},
    {255, 144, 96},
    {255, 96, 96},
}};
// The marks, the bar's edges, the boundaries and their labels.
inline constexpr Rgb kScaleInk{0, 0, 0};
// Inside the desired weight's mark, which is drawn hollow.
inline constexpr Rgb kHollowMark{255, 255, 255};

// The strip's rows, top to bottom: the head of the mark where the boxes
// stand, the bar, the head of the desired weight's mark, the boundaries'
// labels. The bar keeps clear of the strip's sides by kScaleInset, room for
// a mark at either end and the sign that it lies beyond.
inline constexpr int kScaleInset = 120;
inline constexpr int kBarTop = 150;
inline constexpr int kBarHeight = 300;
inline constexpr int kScaleLabelTop = 600;
inline constexpr int kScaleLabelHeight = 300;
// The adults' boundaries whose labels are left out where the strip is
// narrower than the window (the page in one column), lest they run into
// their neighbours; a child's first boundary is left out likewise.
inline constexpr std::array<bool, calc::kWeightClasses.size() - 1> kMinorBoundary{
    true, false, false, false, true, false};
// Lines: the bar's edges and the boundaries, the marks' stems.
inline constexpr int kBoundaryWidth = 15;
inline constexpr int kStemWidth = 30;
// The desired weight's stem: dashes and the gaps between them.
inline constexpr std::array<int, 2> kDesiredStemDash{120, 60};

// The marks' shapes, in twips from the point on the bar's top edge where the
// mark stands (x) and the strip's top (y): the one where the boxes stand
// points down onto the bar from above, the desired weight's up from below;
// the sign that a mark lies beyond the left end points left (mirrored at
// the right end).
struct Point {
    int x, y;
};
// A shape's points in pixels from where the mark stands, mirrored left to
// right when `mirror` is -1.
struct PixelPoint {
    double x, y;
};
template <std::size_t N>
constexpr std::array<PixelPoint, N> InPixels(const std::array<Point, N>& points, int mirror = 1) {
    std::array<PixelPoint, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = {mirror * ExactPixels(points[i].x), ExactPixels(points[i].y)};
    return out;
}
inline constexpr std::array<Point, 3> kStandingHead{{{-90, 0}, {90, 0}, {0, 150}}};
inline constexpr std::array<Point, 3> kDesiredHead{{{-90, 600}, {90, 600}, {0, 450}}};
inline constexpr std::array<Point, 3> kBeyondSign{{{-45, 210}, {-105, 300}, {-45, 390}}};

// Where an index stands along a bar that shows the indices from `from` to
// `to` (the adults' bar by default): 0 at its left end, 1 at its right. One
// past either end stands at that end, `beyond` saying which way it lies.
struct ScalePlace {
    double along;
    int beyond;  // -1 left, 0 on the bar, 1 right
};
ScalePlace PlaceOnScale(double index, double from = kScaleFrom, double to = kScaleTo);

// A class's band along the bar, from its left end (0) to its right (1):
// from the boundary below it to the one above, the first and last from and
// to the bar's ends.
struct Band {
    double from, to;
    Rgb colour;
};
// The boundary between two bands, where it stands along the bar and as its
// label writes it ("18,5" with a comma separator); a minor one's label is
// left out where the strip is narrower than the window.
struct Boundary {
    double at;
    std::string label;
    bool minor;
};

// What the strip shows and is called.
struct Strip {
    std::vector<Band> bands;
    std::vector<Boundary> boundaries;
    std::optional<ScalePlace> standing, desired;
    // A child's class, z-score and percentile: "нормално тегло за
    // възрастта (z = −0,48; 32-ри перцентил)"; empty for an adult.
    std::string classLine;
    std::string rangeNote;  // "Нормално тегло при 170 см: от 54 до 72 кг", or empty
    // Under it: whose classes these are (kScopeNote for adults), or an
    // adult's desired weight by Broca corrected for the age.
    std::string scopeNote;
    std::string name;  // what a screen reader calls it
};
// At start and after Clear: the adults' bands alone.
Strip StripAtStart(std::string_view separator);
// After a Calculate with `method`; none standing: as at start. A child
// judged by age and sex is shown on the bands of the child's classes.
Strip StripOf(const std::optional<form::Standing>& standing, form::Method method,
              std::string_view separator);

// The most bands a strip shows: the adults' seven.
inline constexpr std::size_t kMostBands = calc::kWeightClasses.size();

}  // namespace design
