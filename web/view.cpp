// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/view.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "design/design.h"
#include "design/presentation.h"
#include "design/reference_text.h"
#include "design/scale.h"
#include "web/dom.h"

namespace design {
NLOHMANN_JSON_SERIALIZE_ENUM(Kind, {{Kind::Label, "label"},
                                    {Kind::OptionButton, "option"},
                                    {Kind::TextBox, "text"},
                                    {Kind::PushButton, "button"},
                                    {Kind::OutputBox, "multiline"},
                                    {Kind::Scale, "scale"},
                                    {Kind::Note, "note"}})
}  // namespace design

namespace web {
namespace {

using design::ControlDesign;
using design::Kind;
using Json = nlohmann::ordered_json;

// The policy the page is written for: in the page itself, and in the headers
// a host sends.
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'";
// The icon's sizes: the tab's, the one a phone puts on its home screen, and
// the largest an installed app asks for.
constexpr int kTabIcon = 32, kTouchIcon = 192;
constexpr int kIconSizes[] = {kTabIcon, kTouchIcon, 512};

std::string Id(const ControlDesign& d) { return ElementId(d.name, d.index); }

Json Box(int left, int top, int width, int height) {
    return {{"left", left}, {"top", top}, {"width", width}, {"height", height}};
}

// What a search engine shows of the page, from the methods' captions.
std::string Description() {
    std::string text = "Изчислява оптималното телесно тегло по избран метод: ";
    for (std::size_t i = 0; i < form::kMethodCaptions.size(); ++i)
        text += std::string(i == 0                                  ? ""
                            : i + 1 == form::kMethodCaptions.size() ? " или "
                                                                    : ", ") +
                std::string(form::kMethodCaptions[i]);
    return text + ". Смята в браузъра, и без мрежа, и не изпраща нищо.";
}

// What a control says at start: the lines under the scale, what the strip
// at start says there.
std::string CaptionAtStart(const ControlDesign& d) {
    const std::string name = design::NameOf(d);
    if (name == design::kRangeNote) return design::StripAtStart(",").rangeNote;
    if (name == design::kScopeNoteLine) return design::StripAtStart(",").scopeNote;
    return std::string(d.caption);
}

Json ControlJson(const ControlDesign& d) {
    using design::Pixels;
    const std::string name = design::NameOf(d);
    const std::string caption = CaptionAtStart(d);
    Json c{{"name", name},
           {"id", Id(d)},
           // The element that carries the face: an option's is the box round
           // its indicator and caption.
           {"faceId", Id(d) + (d.kind == Kind::OptionButton ? "-box" : "")},
           {"kind", d.kind},
           {"index", d.index},
           {"caption", caption},
           {"twips", Box(d.left, d.top, d.width, d.height)},
           {"px", Box(Pixels(d.left), Pixels(d.top), Pixels(d.width), Pixels(d.height))},
           {"colour", d.colour ? Json(Hex(*d.colour)) : Json()},
           // A line with nothing to say at start is not there, for a screen
           // reader either.
           {"hiddenAtStart",
            std::count(design::kHiddenAtStart.begin(), design::kHiddenAtStart.end(), name) > 0 ||
                (d.kind == Kind::Note && caption.empty())},
           {"columnOrder", design::ColumnOrder(d)}};
    if (d.kind == Kind::TextBox) {
        c["maxLength"] = design::MaxLengthOf(d);
        // Whole years and months have no decimals: a phone offers digits alone.
        c["inputMode"] = d.name == design::kAgeBoxes ? "numeric" : "decimal";
        if (const design::Caption* named = design::CaptionOf(name); named && !named->spoken.empty())
            c["spoken"] = named->spoken;
    }
    if (d.kind == Kind::OptionButton) {
        c["group"] = design::GroupOf(d).options;
        c["position"] = d.index + 1;
        c["setSize"] = std::count_if(design::kControls.begin(), design::kControls.end(),
                                     [&d](const ControlDesign& o) {
                                         return o.kind == Kind::OptionButton && o.name == d.name;
                                     });
    }
    if (d.kind == Kind::PushButton) {
        const design::ButtonEdges& e = design::EdgesOf(d);
        c["edges"] = {{"light", Hex(e.light)},
                      {"dark", Hex(e.dark)},
                      {"shadow", Hex(design::kButtonShadowColour)}};
    }
    return c;
}

// Each group of option buttons: its fieldset's id, what a screen reader
// calls it, and its place in one column, the place of its first option.
Json OptionGroups() {
    Json groups = Json::array();
    for (const design::OptionGroup& g : design::kOptionGroups) {
        const auto first =
            std::find_if(design::kControls.begin(), design::kControls.end(),
                         [&g](const ControlDesign& d) { return d.name == g.options; });
        groups.push_back({{"options", g.options},
                          {"id", std::string(g.options) + "-group"},
                          {"name", g.spoken},
                          {"columnOrder", design::ColumnOrder(*first)}});
    }
    return groups;
}

// The page's elements in document order, each named by what it is for its
// section of the template: the title, then the controls in focus order,
// each box after its label. The option buttons of a group that follow one
// another in the focus order make its fieldset; one that comes later (after
// a box between them) is drawn into it by aria-owns.
Json Document(const Json& groups) {
    const auto entry = [](const ControlDesign& d) {
        Json c = ControlJson(d);
        const design::Caption* caption = design::CaptionOf(c["name"].get<std::string>());
        if (d.kind == Kind::Label && !caption) return Json{{"heading", c}};
        if (d.kind == Kind::Label) c["for"] = ElementId(caption->box);
        if (d.kind == Kind::OutputBox) c["autofocus"] = design::kFocusOrder.front() == c["name"];
        return Json{{c["kind"].get<std::string>(), c}};
    };
    Json document = Json::array({entry(design::ControlNamed(design::kTitle))});
    // Each group's fieldset, by the place of its start in the document.
    std::map<std::string, std::size_t> started;
    std::string open;  // the group whose fieldset is open
    for (std::string_view name : design::kFocusOrder) {
        const ControlDesign& d = design::ControlNamed(name);
        const std::string group(d.kind == Kind::OptionButton ? design::GroupOf(d).options : "");
        if (group != open && !open.empty()) {
            document.push_back({{"fieldsetEnd", true}});
            open.clear();
        }
        if (!group.empty() && group != open) {
            if (const auto at = started.find(group); at != started.end()) {
                Json& fieldset = document[at->second]["fieldset"];
                const std::string owns = fieldset.value("owns", "");
                fieldset["owns"] = owns + (owns.empty() ? "" : " ") + Id(d) + "-box";
            } else {
                started[group] = document.size();
                for (const Json& g : groups)
                    if (g["options"] == group) document.push_back({{"fieldset", g}});
                open = group;
            }
        }
        if (const design::Caption* c = design::CaptionOf(name); c && c->box == name)
            document.push_back(entry(design::ControlNamed(c->label)));
        document.push_back(entry(d));
        // The scale and the lines under it take no focus; they come right
        // after the report they belong to, so that a screen reader reads
        // them next.
        if (d.kind == Kind::OutputBox)
            for (const ControlDesign& under : design::kControls)
                if (under.kind == Kind::Scale || under.kind == Kind::Note)
                    document.push_back(entry(under));
    }
    if (!open.empty()) document.push_back({{"fieldsetEnd", true}});
    return document;
}

constexpr auto Px = design::ExactPixels;

// A shape's points in pixels, mirrored when `mirror` is -1.
template <std::size_t N>
Json Points(const std::array<design::Point, N>& points, int mirror = 1) {
    Json out = Json::array();
    for (const design::PixelPoint& p : design::InPixels(points, mirror))
        out.push_back({{"x", p.x}, {"y", p.y}});
    return out;
}

// The scale as the page's SVG draws it: places along the bar in per cent of
// its width, heights in pixels. As many bands and boundaries as any strip
// has, placed, labelled and named as the Bulgarian page starts; the module
// moves them, hides those a strip does not use, and writes the labels in
// the reader's own number format.
Json Strip() {
    const std::string scale = ElementId(design::kScale);
    const design::Strip start = design::StripAtStart(",");
    Json bands = Json::array(), boundaries = Json::array();
    const auto percent = [](double along) { return along * 100; };
    for (std::size_t b = 0; b < design::kMostBands; ++b) {
        const bool used = b < start.bands.size();
        const design::Band band =
            used ? start.bands[b] : design::Band{0, 0, design::kBandColours[b]};
        bands.push_back({{"id", PartId(scale, kBandPart, b)},
                         {"from", percent(band.from)},
                         {"width", percent(band.to - band.from)},
                         {"colour", Hex(band.colour)},
                         {"hidden", !used}});
        if (b + 1 == design::kMostBands) break;
        const bool marked = b < start.boundaries.size();
        const design::Boundary boundary =
            marked ? start.boundaries[b] : design::Boundary{0, "", false};
        boundaries.push_back({{"id", PartId(scale, kBoundaryPart, b)},
                              {"labelId", PartId(scale, kLabelPart, b)},
                              {"at", percent(boundary.at)},
                              {"label", boundary.label},
                              {"minor", boundary.minor},
                              {"hidden", !marked}});
    }
    return {{"name", start.name},
            {"inset", Px(design::kScaleInset)},
            {"barTop", Px(design::kBarTop)},
            {"barHeight", Px(design::kBarHeight)},
            {"barBottom", Px(design::kBarTop + design::kBarHeight)},
            {"labelMiddle", Px(design::kScaleLabelTop + design::kScaleLabelHeight / 2)},
            {"boundaryWidth", Px(design::kBoundaryWidth)},
            {"stemWidth", Px(design::kStemWidth)},
            {"dash",
             {{"on", Px(design::kDesiredStemDash[0])}, {"off", Px(design::kDesiredStemDash[1])}}},
            {"ink", Hex(design::kScaleInk)},
            {"hollow", Hex(design::kHollowMark)},
            {"standingHead", Points(design::kStandingHead)},
            {"desiredHead", Points(design::kDesiredHead)},
            {"beyondLeft", Points(design::kBeyondSign)},
            {"beyondRight", Points(design::kBeyondSign, -1)},
            {"minorClass", kMinorClass},
            {"bands", bands},
            {"boundaries", boundaries}};
}

}  // namespace

Json View() {
    Json controls = Json::array(), captions = Json::array(), icons = Json::array();
    for (const ControlDesign& d : design::kControls) controls.push_back(ControlJson(d));
    for (const design::Caption& c : design::kBoxCaptions)
        captions.push_back({{"label", c.label}, {"box", c.box}, {"spoken", c.spoken}});
    const Json groups = OptionGroups();
    for (int size : kIconSizes) icons.push_back({{"size", size}, {"first", size == kIconSizes[0]}});
    const std::string_view caption = design::kCaption;
    const int width = design::Pixels(design::kClientWidth);
    return {
        {"caption", caption},
        {"appName", caption.substr(caption.find(' ') + 1)},  // less the web address
        {"language", "bg"},
        {"description", Description()},
        {"contentSecurityPolicy", kContentSecurityPolicy},
        {"client",
         {{"width", design::kClientWidth},
          {"height", design::kClientHeight},
          {"widthPx", width},
          {"heightPx", design::Pixels(design::kClientHeight)}}},
        {"twipsPerPixel", design::kTwipsPerPixel},
        // One column below the window's width, by a fraction of a pixel (a
        // zoomed screen may be), but by more than a browser's rounding: 1/64
        // px in Chromium's.
        {"columnMaxWidth", width - 0.02},
        {"columnMargin", design::ColumnMargin()},
        {"columnGap", design::ColumnGap()},
        {"windowColour", Hex(design::kWindowColour)},
        {"captionColour", Hex(design::kCaptionColour)},
        {"boxFrameColour", Hex(design::kBoxFrameColour)},
        {"focusColour", Hex(design::kFocusColour)},
        {"font",
         {{"family", design::kFontFamily},
          {"standIn", design::kFontStandIn},
          {"pointSize", design::kFontPointSize}}},
        {"captionFit",
         {{"step", design::kCaptionShrinkStep},
          {"smallestPointSize", design::kSmallestCaptionPointSize}}},
        {"calculate", form::kCalculate},
        // The options whose choice the form hears of; it reads the others.
        {"methodOptions", design::kMethodOptions},
        {"sexOptions", design::kSexOptions},
        {"optionGroups", groups},
        {"icons", {{"tab", kTabIcon}, {"touch", kTouchIcon}, {"sizes", icons}}},
        {"title", design::kTitle},
        {"controls", controls},
        {"focusOrder", design::kFocusOrder},
        {"boxCaptions", captions},
        {"names",
         {{"output", design::kOutputAccessibleName},
          {"methodGroup", design::kOptionGroupName},
          {"sexGroup", design::kSexGroupName},
          {"chestGirthShown", design::ChestGirthShownMessage()},
          {"warningButton", design::kWarningButton}}},
        {"texts",
         {{"header", form::kHeaderLabel},
          {"cleared", form::kClearedText},
          {"overflow", form::kOverflowMessage}}},
        // As the output box shows it, with line feeds.
        {"referenceText", design::ToDisplayText(design::kReferenceText)},
        {"strip", Strip()},
        {"rangeNote", design::kRangeNote},
        {"scopeNote", design::kScopeNoteLine},
        {"noteIndent", Px(design::kNoteIndent)},
        {"document", Document(groups)},
    };
}

}  // namespace web
