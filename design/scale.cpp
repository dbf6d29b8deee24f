// SPDX-License-Identifier: GPL-3.0-or-later
#include "design/scale.h"

#include <algorithm>

#include "calc/number_text.h"

namespace design {
namespace {

// A class's line as a name: "нормално тегло," says "нормално тегло".
std::string_view ClassName(double index) {
    std::string_view line = calc::kWeightClasses[calc::ClassOf(index)].line;
    return line.substr(0, line.find_last_not_of(",.!") + 1);
}

// Another sentence of a name.
void Say(std::string& name, const std::string& sentence) {
    name += (name.empty() ? "" : " ") + sentence + ".";
}

}  // namespace

ScalePlace PlaceOnScale(double index) {
    const double along = (index - kScaleFrom) / (kScaleTo - kScaleFrom);
    return {std::clamp(along, 0.0, 1.0), along < 0 ? -1 : along > 1 ? 1 : 0};
}

std::array<Band, calc::kWeightClasses.size()> Bands() {
    std::array<Band, calc::kWeightClasses.size()> bands{};
    for (std::size_t b = 0; b < bands.size(); ++b) {
        bands[b].from = b == 0 ? 0 : bands[b - 1].to;
        bands[b].to = b + 1 < bands.size() ? PlaceOnScale(calc::kWeightClasses[b].below).along : 1;
    }
    return bands;
}

std::string BoundaryLabel(std::size_t band, std::string_view separator) {
    return calc::FormatNumberText(calc::kWeightClasses.at(band).below, separator);
}

Strip StripAtStart(std::string_view separator) {
    std::string bounds;
    for (std::size_t b = 0; b + 1 < calc::kWeightClasses.size(); ++b)
        bounds += (b == 0                                 ? ""
                   : b + 2 == calc::kWeightClasses.size() ? " и "
                                                          : ", ") +
                  BoundaryLabel(b, separator);
    return {std::nullopt, std::nullopt, "",
            "Скала на индекса на телесната маса от " +
                calc::FormatNumberText(kScaleFrom, separator) + " до " +
                calc::FormatNumberText(kScaleTo, separator) + ", с граници на класовете " + bounds};
}

Strip StripOf(const std::optional<form::Standing>& standing, form::Method method,
              std::string_view separator) {
    if (!standing) return StripAtStart(separator);
    const auto number = [separator](double value) {
        return calc::FormatNumberText(value, separator);
    };
    Strip strip;
    if (standing->index) {
        strip.standing = PlaceOnScale(*standing->index);
        std::string where = strip.standing->beyond < 0 ? ", отвъд левия край на скалата"
                            : strip.standing->beyond > 0 ? ", отвъд десния край на скалата"
                                                         : "";
        Say(strip.name, "Индекс на телесната маса " + number(*standing->index) + ": " +
                            std::string(ClassName(*standing->index)) + where);
    }
    if (const auto& normal = standing->normal) {
        strip.rangeNote = "Нормално тегло при " + number(normal->heightCm) + " см: от " +
                          number(normal->low) + " до " + number(normal->high) + " кг";
        Say(strip.name, strip.rangeNote);
    }
    if (standing->desired && standing->desiredIndex) {
        strip.desired = PlaceOnScale(*standing->desiredIndex);
        Say(strip.name, "Желано тегло (" + std::string(form::kMethodCaptions[int(method)]) +
                            "): " + number(*standing->desired) + " кг, индекс " +
                            number(*standing->desiredIndex));
    }
    if (strip.name.empty()) strip.name = StripAtStart(separator).name;
    return strip;
}

}  // namespace design
