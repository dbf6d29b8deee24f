// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/design.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <stdexcept>
#include <utility>

namespace design {

std::string NameOf(const ControlDesign& control) {
    return std::string(control.name) + '(' + std::to_string(control.index) + ')';
}

const ControlDesign& ControlNamed(std::string_view name) {
    for (const ControlDesign& d : kControls)
        if (NameOf(d) == name) return d;
    throw std::out_of_range("no control " + std::string(name));
}

const ButtonEdges& EdgesOf(const ControlDesign& button) {
    for (const ButtonEdges& e : kButtonEdges)
        if (e.control == NameOf(button)) return e;
    throw std::out_of_range("no edges for " + NameOf(button));
}

const Caption* CaptionOf(std::string_view name) {
    for (const Caption& c : kBoxCaptions)
        if (c.label == name || c.box == name) return &c;
    return nullptr;
}

const OptionGroup& GroupOf(const ControlDesign& option) {
    for (const OptionGroup& g : kOptionGroups)
        if (option.kind == Kind::OptionButton && g.options == option.name) return g;
    throw std::out_of_range("no group for " + NameOf(option));
}

int MaxLengthOf(const ControlDesign& box) {
    return box.name == kAgeBoxes && box.index == form::kAgeMonths ? kMonthsMaxLength
                                                                  : kInputMaxLength;
}

namespace {

std::pair<int, int> ColumnPlace(const ControlDesign& d) {
    if (d.kind == Kind::OptionButton) {
        std::pair first(d.top, d.left);
        for (const ControlDesign& o : kControls)
            if (o.kind == Kind::OptionButton && o.name == d.name)
                first = std::min(first, std::pair(o.top, o.left));
        return first;
    }
    // A row's push buttons act on what is chosen and typed before them, so
    // they come after the rest of their row.
    if (d.kind == Kind::PushButton) return {d.top, kClientWidth + d.left};
    const Caption* c = CaptionOf(NameOf(d));
    const ControlDesign& at = c ? ControlNamed(c->label) : d;
    return {at.top, at.left};
}

}  // namespace

int ColumnOrder(const ControlDesign& control) {
    std::set<std::pair<int, int>> places;
    for (const ControlDesign& d : kControls) places.insert(ColumnPlace(d));
    return int(std::distance(places.begin(), places.find(ColumnPlace(control))));
}

int ColumnMargin() {
    int left = kClientWidth;
    for (const ControlDesign& d : kControls) left = std::min(left, d.left);
    return Pixels(left);
}

int ColumnGap() {
    int gap = kClientHeight;
    for (const ControlDesign& a : kControls)
        for (const ControlDesign& b : kControls)
            if (b.top >= a.top + a.height && b.left < a.left + a.width && a.left < b.left + b.width)
                gap = std::min(gap, b.top - a.top - a.height);
    return Pixels(gap);
}

}  // namespace design
