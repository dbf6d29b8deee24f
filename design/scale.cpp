// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/scale.h"

#include <algorithm>
#include <cmath>

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
void Say(std::string& name, const std::string& sentence) {
    name += (name.empty() ? "" : " ") + sentence + ".";
}

std::string Number(double value, std::string_view separator) {
    return calc::FormatNumberText(value, separator);
}

// The bands between the boundaries, of indices from `from` to `to`.
std::vector<Band> BandsBetween(const std::vector<double>& boundaries, double from, double to) {
    std::vector<Band> bands;
    for (std::size_t b = 0; b <= boundaries.size(); ++b)
        bands.push_back({bands.empty() ? 0 : bands.back().to,
                         b < boundaries.size() ? PlaceOnScale(boundaries[b], from, to).along : 1,
                         kBandColours[b]});
    return bands;
}

// A child's bands: the classes at the age and sex, placed at the indices
// of their cut-offs, on a bar that holds them all with the outer two as
// wide as the narrowest inner one, so that every band is as easy to see.
void ChildBands(const calc::AgeJudgement& child, Strip& strip, double& from, double& to,
                std::string_view separator) {
    const auto classes = calc::ChildClasses(child.table);
    std::vector<double> cuts;
    for (std::size_t c = 0; c + 1 < classes.size(); ++c)
        cuts.push_back(calc::IndexAtZ(child.lms, classes[c].below));
    double narrowest = cuts.back() - cuts.front();
    for (std::size_t c = 1; c < cuts.size(); ++c)
        narrowest = std::min(narrowest, cuts[c] - cuts[c - 1]);
    from = cuts.front() - narrowest;
    to = cuts.back() + narrowest;
    strip.bands = BandsBetween(cuts, from, to);
    for (std::size_t c = 0; c < cuts.size(); ++c)
        strip.boundaries.push_back(
            {strip.bands[c].to, Number(std::round(cuts[c] * 10) / 10, separator), c == 0});
}

// "12 години", "3 години и 1 месец", "3 години и 4 месеца".
std::string AgeText(int months) {
    std::string text = std::to_string(months / 12) + " години";
    if (months % 12 == 1) return text + " и 1 месец";
    if (months % 12 != 0) text += " и " + std::to_string(months % 12) + " месеца";
    return text;
}

// Which of WHO's tables judged a child, for whom.
std::string ChildScope(const calc::AgeJudgement& child) {
    return std::string("Класове на СЗО (") +
           (child.table == calc::GrowthTable::Standard2006 ? "2006" : "2007") + ") за " +
           (child.sex == calc::Sex::Boy ? "момче" : "момиче") + " на " + AgeText(*child.months);
}

}  // namespace

ScalePlace PlaceOnScale(double index, double from, double to) {
    const double along = (index - from) / (to - from);
    return {std::clamp(along, 0.0, 1.0), along < 0 ? -1 : along > 1 ? 1 : 0};
}

Strip StripAtStart(std::string_view separator) {
    Strip strip;
    std::vector<double> boundaries;
    std::string bounds;
    for (std::size_t b = 0; b + 1 < calc::kWeightClasses.size(); ++b) {
        const double at = calc::kWeightClasses[b].below;
        boundaries.push_back(at);
        bounds += (b == 0                                 ? ""
                   : b + 2 == calc::kWeightClasses.size() ? " и "
                                                          : ", ") +
                  Number(at, separator);
    }
    strip.bands = BandsBetween(boundaries, kScaleFrom, kScaleTo);
    for (std::size_t b = 0; b < boundaries.size(); ++b)
        strip.boundaries.push_back(
            {strip.bands[b].to, Number(boundaries[b], separator), kMinorBoundary[b]});
    strip.scopeNote = kScopeNote;
    strip.name = "Скала на индекса на телесната маса от " + Number(kScaleFrom, separator) + " до " +
                 Number(kScaleTo, separator) + ", с граници на класовете " + bounds;
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
        strip.bands.clear();
        strip.boundaries.clear();
        ChildBands(standing->age, strip, from, to, separator);
        strip.classLine = calc::ChildClassLine(standing->age, separator);
        strip.scopeNote = ChildScope(standing->age);
    }
    if (standing->index) {
        strip.standing = PlaceOnScale(*standing->index, from, to);
        std::string where = strip.standing->beyond < 0 ? ", отвъд левия край на скалата"
                            : strip.standing->beyond > 0 ? ", отвъд десния край на скалата"
                                                         : "";
        Say(strip.name, "Индекс на телесната маса " + Number(*standing->index, separator) + ": " +
                            (child ? strip.classLine : std::string(ClassName(*standing->index))) +
                            where);
    }
    if (const auto& normal = standing->normal) {
        strip.rangeNote = "Нормално тегло при " + Number(normal->heightCm, separator) + " см: от " +
                          Number(normal->low, separator) + " до " +
                          Number(normal->high, separator) + " кг";
        Say(strip.name, strip.rangeNote);
    }
    if (standing->desired && standing->desiredIndex) {
        strip.desired = PlaceOnScale(*standing->desiredIndex, from, to);
        Say(strip.name, "Желано тегло (" + std::string(form::kMethodCaptions[int(method)]) +
                            "): " + Number(*standing->desired, separator) + " кг, индекс " +
                            Number(*standing->desiredIndex, separator));
    }
    if (const auto& forAge = standing->desiredForAge) {
        strip.scopeNote = "Желано тегло за " + std::to_string(*standing->age.months / 12) +
                          " години: от " + Number(forAge->low, separator) + " до " +
                          Number(forAge->high, separator) + " кг";
        Say(strip.name, strip.scopeNote);
    }
    if (child) Say(strip.name, strip.scopeNote);
    if (strip.name.empty()) strip.name = atStart;
    return strip;
}

}  // namespace design
