// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/scale.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "calc/number_text.h"

namespace design {
namespace {

using Status = calc::AgeJudgement::Status;

// A class's line as a name: "нормално тегло," says "нормално тегло".
std::string_view ClassName(double index) {
    std::string_view line = calc::kWeightClasses[calc::ClassOf(index)].line;
    return line.substr(0, line.find_last_not_of(",.!") + 1);
}

// Adds a sentence to what a screen reader calls the strip.
void Say(std::string& name, std::initializer_list<std::string_view> sentence) {
    if (!name.empty()) name += ' ';
    name += calc::Joined(sentence);
    name += '.';
}

std::string Number(double value, std::string_view separator) {
    return calc::FormatNumberText(value, separator);
}

// The bands and their boundaries, at the indices `cuts` on a bar of the
// indices from `from` to `to`: the adults' labelled as their classes are
// bounded, a child's to a tenth, with its first boundary a minor one.
void DrawBands(Strip& strip, std::span<const double> cuts, double from, double to, bool adults,
               std::string_view separator) {
    strip.bands.clear();
    strip.boundaries.clear();
    double at = 0;
    for (std::size_t b = 0; b <= cuts.size(); ++b) {
        const double next = b < cuts.size() ? PlaceOnScale(cuts[b], from, to).along : 1;
        strip.bands.push_back({at, next, kBandColours[b]});
        if (b < cuts.size())
            strip.boundaries.push_back(
                {next, Number(adults ? cuts[b] : std::round(cuts[b] * 10) / 10, separator),
                 adults ? kMinorBoundary[b] : b == 0});
        at = next;
    }
}

// A child's bands: the classes at the age and sex, placed at the indices
// of their cut-offs, on a bar that holds them all with the outer two as
// wide as the narrowest inner one, so that every band is as easy to see.
void ChildBands(const calc::AgeJudgement& child, Strip& strip, double& from, double& to,
                std::string_view separator) {
    const auto classes = calc::ChildClasses(child.table);
    std::array<double, kMostBands - 1> cuts{};
    const std::size_t count = classes.size() - 1;
    for (std::size_t c = 0; c < count; ++c) cuts[c] = calc::IndexAtZ(child.lms, classes[c].below);
    double narrowest = cuts[count - 1] - cuts[0];
    for (std::size_t c = 1; c < count; ++c) narrowest = std::min(narrowest, cuts[c] - cuts[c - 1]);
    from = cuts[0] - narrowest;
    to = cuts[count - 1] + narrowest;
    DrawBands(strip, std::span(cuts).first(count), from, to, false, separator);
}

// "12 години", "3 години и 1 месец", "3 години и 4 месеца".
std::string AgeText(int months) {
    const int rest = months % 12;
    return calc::Joined({std::to_string(months / 12), " години",
                         rest == 0   ? ""
                         : rest == 1 ? " и 1 месец"
                                     : " и ",
                         rest > 1 ? std::to_string(rest) : "", rest > 1 ? " месеца" : ""});
}

// Which of WHO's tables judged a child, for whom.
std::string ChildScope(const calc::AgeJudgement& child) {
    return calc::Joined({"Класове на СЗО (",
                         child.table == calc::GrowthTable::Standard2006 ? "2006" : "2007", ") за ",
                         child.sex == calc::Sex::Boy ? "момче" : "момиче", " на ",
                         AgeText(*child.months)});
}

}  // namespace

ScalePlace PlaceOnScale(double index, double from, double to) {
    const double along = (index - from) / (to - from);
    return {std::clamp(along, 0.0, 1.0), along < 0 ? -1 : along > 1 ? 1 : 0};
}

Strip StripAtStart(std::string_view separator) {
    Strip strip;
    std::array<double, kMostBands - 1> cuts{};
    std::string bounds;
    for (std::size_t b = 0; b < cuts.size(); ++b) {
        cuts[b] = calc::kWeightClasses[b].below;
        bounds += b == 0 ? "" : b + 1 == cuts.size() ? " и " : ", ";
        bounds += Number(cuts[b], separator);
    }
    DrawBands(strip, cuts, kScaleFrom, kScaleTo, true, separator);
    strip.scopeNote = kScopeNote;
    strip.name =
        calc::Joined({"Скала на индекса на телесната маса от ", Number(kScaleFrom, separator),
                      " до ", Number(kScaleTo, separator), ", с граници на класовете ", bounds});
    return strip;
}

Strip StripOf(const std::optional<form::Standing>& standing, form::Method method,
              std::string_view separator) {
    Strip strip = StripAtStart(separator);
    if (!standing) return strip;
    const std::string atStart = strip.name;
    strip.name.clear();
    double from = kScaleFrom, to = kScaleTo;
    const bool child = standing->age.status == Status::Child;
    if (child) {
        ChildBands(standing->age, strip, from, to, separator);
        strip.classLine = calc::ChildClassLine(standing->age, separator);
        strip.scopeNote = ChildScope(standing->age);
    }
    if (standing->index) {
        strip.standing = PlaceOnScale(*standing->index, from, to);
        const std::string_view where = strip.standing->beyond < 0 ? ", отвъд левия край на скалата"
                                       : strip.standing->beyond > 0
                                           ? ", отвъд десния край на скалата"
                                           : "";
        Say(strip.name,
            {"Индекс на телесната маса ", Number(*standing->index, separator), ": ",
             child ? std::string_view(strip.classLine) : ClassName(*standing->index), where});
    }
    if (const auto& normal = standing->normal) {
        strip.rangeNote = calc::Joined({"Нормално тегло при ", Number(normal->heightCm, separator),
                                        " см: от ", Number(normal->low, separator), " до ",
                                        Number(normal->high, separator), " кг"});
        Say(strip.name, {strip.rangeNote});
    }
    if (standing->desired && standing->desiredIndex) {
        strip.desired = PlaceOnScale(*standing->desiredIndex, from, to);
        Say(strip.name, {"Желано тегло (", form::kMethodCaptions[int(method)],
                         "): ", Number(*standing->desired, separator), " кг, индекс ",
                         Number(*standing->desiredIndex, separator)});
    }
    if (const auto& forAge = standing->desiredForAge) {
        strip.scopeNote = calc::Joined(
            {"Желано тегло за ", std::to_string(*standing->age.months / 12), " години: от ",
             Number(forAge->low, separator), " до ", Number(forAge->high, separator), " кг"});
        Say(strip.name, {strip.scopeNote});
    }
    if (child) Say(strip.name, {strip.scopeNote});
    if (strip.name.empty()) strip.name = atStart;
    return strip;
}

}  // namespace design
