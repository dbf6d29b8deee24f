// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/view.h"

#include <algorithm>
#include <cstdio>
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

std::string Hex(const design::Rgb& c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
    return buffer;
}

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

Json ControlJson(const ControlDesign& d) {
    using design::Pixels;
    const std::string name = design::NameOf(d);
    Json c{{"name", name},
           {"id", Id(d)},
           // The element that carries the face: an option's is the box round
           // its indicator and caption.
           {"faceId", Id(d) + (d.kind == Kind::OptionButton ? "-box" : "")},
           {"kind", d.kind},
           {"index", d.index},
           {"caption", d.caption},
           {"twips", Box(d.left, d.top, d.width, d.height)},
           {"px", Box(Pixels(d.left), Pixels(d.top), Pixels(d.width), Pixels(d.height))},
           {"colour", d.colour ? Json(Hex(*d.colour)) : Json()},
           {"hiddenAtStart",
            std::count(design::kHiddenAtStart.begin(), design::kHiddenAtStart.end(), name) > 0},
           {"columnOrder", design::ColumnOrder(d)}};
    if (d.kind == Kind::PushButton) {
        const design::ButtonEdges& e = design::EdgesOf(d);
        c["edges"] = {{"light", Hex(e.light)},
                      {"dark", Hex(e.dark)},
                      {"shadow", Hex(design::kButtonShadowColour)}};
    }
    return c;
}

// The page's elements in document order, each named by what it is for its
// section of the template: the title, then the controls in focus order,
// each box after its label. The option buttons that follow one another in
// the focus order make one group; one that comes later (after a box between
// them) is drawn into the group by aria-owns.
Json Document() {
    const auto entry = [](const ControlDesign& d) {
        Json c = ControlJson(d);
        const design::Caption* caption = design::CaptionOf(c["name"].get<std::string>());
        if (d.kind == Kind::Label && !caption) return Json{{"heading", c}};
        if (d.kind == Kind::Label) c["for"] = ElementId(caption->box);
        if (d.kind == Kind::OptionButton) c["position"] = d.index + 1;
        if (d.kind == Kind::OutputBox) c["autofocus"] = design::kFocusOrder.front() == c["name"];
        return Json{{c["kind"].get<std::string>(), c}};
    };
    Json document = Json::array({entry(design::ControlNamed(design::kTitle))});
    std::size_t groupStart = 0, groupEnd = 0;
    std::string owns;
    for (std::string_view name : design::kFocusOrder) {
        const ControlDesign& d = design::ControlNamed(name);
        const bool option = d.kind == Kind::OptionButton;
        if (option && groupStart == 0) groupStart = document.size();
        if (!option && groupStart != 0 && groupEnd == 0) groupEnd = document.size();
        if (option && groupEnd != 0) owns += (owns.empty() ? "" : " ") + Id(d) + "-box";
        if (const design::Caption* c = design::CaptionOf(name); c && c->box == name)
            document.push_back(entry(design::ControlNamed(c->label)));
        document.push_back(entry(d));
        // What the keyboard passes by, under the report: read after it.
        if (d.kind == Kind::OutputBox)
            for (const ControlDesign& under : design::kControls)
                if (under.kind == Kind::Scale || under.kind == Kind::Note)
                    document.push_back(entry(under));
    }
    if (groupEnd == 0) groupEnd = document.size();
    document.insert(document.begin() + std::ptrdiff_t(groupEnd), Json{{"fieldsetEnd", true}});
    document.insert(document.begin() + std::ptrdiff_t(groupStart),
                    Json{{"fieldset", owns.empty() ? Json::object() : Json{{"owns", owns}}}});
    return document;
}

double Px(int twips) { return double(twips) / design::kTwipsPerPixel; }

// A shape's points in pixels, mirrored when `mirror` is -1.
template <std::size_t N>
Json Points(const std::array<design::Point, N>& points, int mirror = 1) {
    Json out = Json::array();
    for (const design::Point& p : points) out.push_back({{"x", mirror * Px(p.x)}, {"y", Px(p.y)}});
    return out;
}

// The scale as the page's SVG draws it: places along the bar in per cent of
// its width, heights in pixels. Labels and name as the Bulgarian page
// starts; the module writes them in the reader's own number format.
Json Strip() {
    Json bands = Json::array(), boundaries = Json::array();
    const auto percent = [](double along) { return along * 100; };
    const auto places = design::Bands();
    for (std::size_t b = 0; b < places.size(); ++b) {
        const auto [from, to] = places[b];
        bands.push_back({{"from", percent(from)},
                         {"width", percent(to - from)},
                         {"colour", Hex(design::kBandColours[b])}});
        if (b + 1 < places.size())
            boundaries.push_back({{"index", b},
                                  {"at", percent(to)},
                                  {"label", design::BoundaryLabel(b, ",")},
                                  {"minor", design::kMinorBoundary[b]}});
    }
    return {{"name", design::StripAtStart(",").name},
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
            {"bands", bands},
            {"boundaries", boundaries}};
}

}  // namespace

Json View() {
    Json controls = Json::array(), captions = Json::array(), icons = Json::array();
    for (const ControlDesign& d : design::kControls) controls.push_back(ControlJson(d));
    for (const design::Caption& c : design::kBoxCaptions)
        captions.push_back({{"label", c.label}, {"box", c.box}});
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
        {"fieldsetOrder", design::ColumnOrder(design::ControlNamed("Option1(0)"))},
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
        {"inputMaxLength", design::kInputMaxLength},
        {"optionCount", form::kOptionCount},
        {"calculate", form::kCalculate},
        {"icons", {{"tab", kTabIcon}, {"touch", kTouchIcon}, {"sizes", icons}}},
        {"title", design::kTitle},
        {"controls", controls},
        {"focusOrder", design::kFocusOrder},
        {"boxCaptions", captions},
        {"names",
         {{"output", design::kOutputAccessibleName},
          {"methodGroup", design::kOptionGroupName},
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
        {"noteIndent", Px(design::kNoteIndent)},
        {"document", Document()},
    };
}

}  // namespace web
