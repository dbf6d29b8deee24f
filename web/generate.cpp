// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the site from its templates and the design table at build time, so
// the window shows before the WebAssembly arrives and nothing of the design
// is written twice:
//   generate TEMPLATE_DIR SITE_DIR DESIGN_JSON FILE_LIST
// TEMPLATE_DIR holds index.html.in, style.css and _headers.in; SITE_DIR gets
// the page, its style, the manifest, the icons and the host's headers;
// DESIGN_JSON is the table as the page's tests read it; FILE_LIST names the
// files the page loads, one a line, for the service worker to keep.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "design/design.h"
#include "design/icon.h"
#include "design/reference_text.h"
#include "web/dom.h"
#include "web/png.h"
#include "web/template.h"

namespace design {
NLOHMANN_JSON_SERIALIZE_ENUM(Kind, {{Kind::Label, "label"},
                                    {Kind::OptionButton, "option"},
                                    {Kind::TextBox, "text"},
                                    {Kind::PushButton, "button"},
                                    {Kind::OutputBox, "multiline"}})
}  // namespace design

namespace {

using design::ControlDesign;
using design::Kind;
using design::Rgb;
using Json = nlohmann::ordered_json;

// The policy the page is written for: in the page itself, and in the headers
// a host sends.
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'";
// The icon's sizes: the tab's, the one a phone puts on its home screen, and
// the largest an installed app asks for.
constexpr int kTabIcon = 32, kTouchIcon = 192;
constexpr int kIconSizes[] = {kTabIcon, kTouchIcon, 512};
// What a search engine shows of the page, from the methods' captions.
constexpr std::string_view kDescriptionLead =
    "Изчислява оптималното телесно тегло по избран метод: ";
constexpr std::string_view kDescriptionEnd = ". Смята в браузъра, и без мрежа, и не изпраща нищо.";

std::string Name(const ControlDesign& d) { return design::NameOf(d); }
const ControlDesign& Control(std::string_view name) { return design::ControlNamed(name); }
std::string Id(const ControlDesign& d) { return web::ElementId(d.name, d.index); }

bool HiddenAtStart(const ControlDesign& d) {
    return std::find(design::kHiddenAtStart.begin(), design::kHiddenAtStart.end(), Name(d)) !=
           design::kHiddenAtStart.end();
}

// The caption pair a label or a box belongs to, if any.
const design::Caption* CaptionOf(std::string_view name) {
    for (const design::Caption& c : design::kBoxCaptions)
        if (c.label == name || c.box == name) return &c;
    return nullptr;
}

std::string Hex(const Rgb& c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
    return buffer;
}

std::string Number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string Px(int twips) { return std::to_string(design::Pixels(twips)); }

// ---- index.html ----

// Each kind's element, in the order of design::Kind; a label that names no
// box is the window's heading. Focusable ones come in the design's focus
// order, so Tab follows it without tabindex. An option is a Tab stop of its
// own, as in the window: radios each of a name of its own (WebKitGTK takes
// radios of no name for one group, one Tab stop), made one choice by app.js,
// told to screen readers as the n-th of the four. Enter in a box
// does what "Изчисли" does. The output box is read-only for typing, but
// selectable and copyable; the parser drops the line feed after its tag, so
// the text keeps its first character whatever it is. A caption is a span of
// its own, whose size app.js watches.
constexpr std::string_view kHeading =
    R"(<h1 id="@ID@" class="face fit"@HIDDEN@><span>@CAPTION@</span></h1>)";
constexpr std::string_view kElements[] = {
    R"(<label id="@ID@" for="@FOR@" class="face fit"@HIDDEN@><span>@CAPTION@</span></label>)",
    R"(<div id="@ID@-box" class="face option"@HIDDEN@><input type="radio" id="@ID@" name="@ID@" value="@INDEX@" aria-posinset="@POSITION@" aria-setsize="@OPTIONS@"><label for="@ID@" class="fit"><span>@CAPTION@</span></label></div>)",
    R"(<input type="text" id="@ID@" maxlength="@LENGTH@" data-command="@CALCULATE@" inputmode="decimal" autocomplete="off" spellcheck="false"@HIDDEN@>)",
    R"(<button type="button" id="@ID@" class="face fit" data-command="@INDEX@"@HIDDEN@><span>@CAPTION@</span></button>)",
    "<textarea id=\"@ID@\" readonly "
    "aria-label=\"@OUTPUT_NAME@\"@FOCUS@@HIDDEN@>\n@TEXT@</textarea>",
};

std::string ControlHtml(const ControlDesign& d) {
    const design::Caption* caption = CaptionOf(Name(d));
    return web::Fill(d.kind == Kind::Label && !caption ? kHeading : kElements[int(d.kind)],
                     {{"ID", Id(d)},
                      {"CAPTION", web::Html(d.caption)},
                      {"HIDDEN", HiddenAtStart(d) ? " hidden" : ""},
                      {"INDEX", std::to_string(d.index)},
                      {"FOR", caption ? web::ElementId(caption->box) : ""},
                      {"POSITION", std::to_string(d.index + 1)},
                      {"OPTIONS", std::to_string(form::kOptionCount)},
                      {"LENGTH", std::to_string(design::kInputMaxLength)},
                      {"CALCULATE", std::to_string(form::kCalculate)},
                      {"OUTPUT_NAME", web::Html(design::kOutputAccessibleName)},
                      {"FOCUS", design::kFocusOrder.front() == Name(d) ? " autofocus" : ""},
                      {"TEXT", web::Html(design::kReferenceText)}});
}

// The title, then the controls in focus order, each box after its label.
// The option buttons that follow one another in the focus order make one
// named group; one that comes later (after a box between them) is drawn into
// the group for screen readers by aria-owns.
std::string ControlsHtml() {
    std::vector<std::string> lines{ControlHtml(Control(design::kTitle))};
    std::vector<std::string> owned;
    std::size_t groupStart = 0, groupEnd = 0;
    for (std::string_view name : design::kFocusOrder) {
        const ControlDesign& d = Control(name);
        const bool option = d.kind == Kind::OptionButton;
        if (option && groupStart == 0) groupStart = lines.size();
        if (!option && groupStart != 0 && groupEnd == 0) groupEnd = lines.size();
        if (option && groupEnd != 0) owned.push_back(Id(d) + "-box");
        if (const design::Caption* c = CaptionOf(name); c && c->box == name)
            lines.push_back(ControlHtml(Control(c->label)));
        lines.push_back(ControlHtml(d));
    }
    if (groupEnd == 0) groupEnd = lines.size();
    std::string owns;
    for (const std::string& id : owned) owns += (owns.empty() ? "" : " ") + id;
    lines.insert(lines.begin() + std::ptrdiff_t(groupEnd), "</fieldset>");
    lines.insert(lines.begin() + std::ptrdiff_t(groupStart),
                 web::Fill(R"(<fieldset aria-label="@NAME@"@OWNS@>)",
                           {{"NAME", web::Html(design::kOptionGroupName)},
                            {"OWNS", owns.empty() ? "" : " aria-owns=\"" + owns + "\""}}));
    std::string html;
    for (const std::string& line : lines) html += (html.empty() ? "" : "\n") + line;
    return html;
}

// ---- style.css ----

// Each control's place and size, and its face; a push button's edge is
// raised, and sunk while pressed.
std::string ControlsCss() {
    std::string css;
    for (const ControlDesign& d : design::kControls) {
        web::Values v{{"SELECTOR", Id(d) + (d.kind == Kind::OptionButton ? "-box" : "")},
                      {"LEFT", Px(d.left)},
                      {"TOP", Px(d.top)},
                      {"WIDTH", Px(d.width)},
                      {"HEIGHT", Px(d.height)},
                      {"FACE", d.colour ? ";background:" + Hex(*d.colour) : ""},
                      {"EDGE", ""}};
        std::string pressed;
        if (d.kind == Kind::PushButton) {
            const design::ButtonEdges& e = design::EdgesOf(d);
            v["LIGHT"] = Hex(e.light);
            v["DARK"] = Hex(e.dark);
            v["SHADOW"] = Hex(design::kButtonShadowColour);
            v["EDGE"] = web::Fill(
                ";border-color:@LIGHT@ @SHADOW@ @SHADOW@ @LIGHT@;box-shadow:inset -1px -1px @DARK@",
                v);
            pressed = web::Fill(
                "#@SELECTOR@:active{border-color:@SHADOW@ @LIGHT@ @LIGHT@ "
                "@SHADOW@;box-shadow:inset 1px 1px @DARK@}\n",
                v);
        }
        css += web::Fill(
                   "#@SELECTOR@{left:@LEFT@px;top:@TOP@px;width:@WIDTH@px;height:@HEIGHT@px@FACE@@"
                   "EDGE@}\n",
                   v) +
               pressed;
    }
    css.pop_back();
    return css;
}

// The same controls in one column, for a screen narrower than the window:
// in the window's reading order, top to bottom, then left to right, where
// the option buttons go as one block (they are one group) and a box with the
// label that names it. The document (and so Tab) keeps the focus order;
// only the order seen changes. -> each element's place in the column.
std::string ColumnCss() {
    const auto topLeft = [](std::string_view name) {
        const ControlDesign& d = Control(name);
        if (d.kind == Kind::OptionButton) {
            std::pair first(d.top, d.left);
            for (const ControlDesign& o : design::kControls)
                if (o.kind == Kind::OptionButton) first = std::min(first, std::pair(o.top, o.left));
            return first;
        }
        const design::Caption* c = CaptionOf(name);
        const ControlDesign& at = c ? Control(c->label) : d;
        return std::pair(at.top, at.left);
    };
    std::vector<std::pair<int, int>> places;
    for (const ControlDesign& d : design::kControls) places.push_back(topLeft(Name(d)));
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    const auto rank = [&](std::string_view name) {
        return std::to_string(std::find(places.begin(), places.end(), topLeft(name)) -
                              places.begin());
    };
    std::string css;
    for (const ControlDesign& d : design::kControls) {
        const std::string selector = Id(d) + (d.kind == Kind::OptionButton ? "-box" : "");
        css += "#" + selector + "{order:" + rank(Name(d)) + ";min-height:" + Px(d.height) + "px}\n";
        // The group's own box goes where its first option does.
        if (d.kind == Kind::OptionButton && d.index == 0)
            css += "#window fieldset{order:" + rank(Name(d)) + "}\n";
    }
    css.pop_back();
    return css;
}

// The window's margin: the space between its edge and the nearest control,
// and between a control and the next one below it.
int ColumnMargin() {
    int left = design::kClientWidth;
    for (const ControlDesign& d : design::kControls) left = std::min(left, d.left);
    return design::Pixels(left);
}
int ColumnGap() {
    int gap = design::kClientHeight;
    for (const ControlDesign& a : design::kControls)
        for (const ControlDesign& b : design::kControls)
            if (b.top >= a.top + a.height && b.left < a.left + a.width && a.left < b.left + b.width)
                gap = std::min(gap, b.top - a.top - a.height);
    return design::Pixels(gap);
}

std::string Description() {
    std::string text(kDescriptionLead);
    for (std::size_t i = 0; i < form::kMethods.size(); ++i) {
        if (i > 0) text += i + 1 == form::kMethods.size() ? " или " : ", ";
        text += form::kMethods[i].caption;
    }
    return text + std::string(kDescriptionEnd);
}

// ---- design.json ----

Json ToJson(const Rgb& c) { return Json::array({c.red, c.green, c.blue}); }

Json Box(int left, int top, int width, int height) {
    return {{"left", left}, {"top", top}, {"width", width}, {"height", height}};
}

Json DesignJson() {
    Json controls = Json::array(), captions = Json::array();
    for (const ControlDesign& d : design::kControls) {
        using design::Pixels;
        controls.push_back(
            {{"name", Name(d)},
             {"id", Id(d)},
             {"kind", d.kind},
             {"caption", d.caption},
             {"twips", Box(d.left, d.top, d.width, d.height)},
             {"px", Box(Pixels(d.left), Pixels(d.top), Pixels(d.width), Pixels(d.height))},
             {"colour", d.colour ? ToJson(*d.colour) : Json()},
             {"hiddenAtStart", HiddenAtStart(d)}});
    }
    for (const design::Caption& c : design::kBoxCaptions)
        captions.push_back({{"label", c.label}, {"box", c.box}});
    const ControlDesign& chestLabel = Control(design::kBoxCaptions[form::kChestGirth].label);
    return {{"caption", design::kCaption},
            {"client",
             {{"width", design::kClientWidth},
              {"height", design::kClientHeight},
              {"widthPx", design::Pixels(design::kClientWidth)},
              {"heightPx", design::Pixels(design::kClientHeight)}}},
            {"twipsPerPixel", design::kTwipsPerPixel},
            {"windowColour", ToJson(design::kWindowColour)},
            {"captionColour", ToJson(design::kCaptionColour)},
            {"font",
             {{"family", design::kFontFamily},
              {"standIn", design::kFontStandIn},
              {"pointSize", design::kFontPointSize}}},
            {"captionFit",
             {{"step", design::kCaptionShrinkStep},
              {"smallestPointSize", design::kSmallestCaptionPointSize}}},
            {"inputMaxLength", design::kInputMaxLength},
            {"title", design::kTitle},
            {"controls", controls},
            {"focusOrder", design::kFocusOrder},
            {"boxCaptions", captions},
            {"names",
             {{"output", design::kOutputAccessibleName},
              {"methodGroup", design::kOptionGroupName},
              {"chestGirthShown", design::BoxShownMessage(chestLabel.caption)},
              {"warningButton", design::kWarningButton}}},
            {"texts",
             {{"header", form::kHeaderLabel},
              {"cleared", form::kClearedText},
              {"description", Description()},
              {"overflow", form::kOverflowMessage}}},
            {"focusColour", ToJson(design::kFocusColour)},
            {"boxFrameColour", ToJson(design::kBoxFrameColour)},
            {"contentSecurityPolicy", kContentSecurityPolicy},
            {"referenceText", design::kReferenceText}};
}

// ---- the site ----

web::Values DesignValues() {
    // Narrower than the window, by a fraction of a pixel (a zoomed screen may
    // be), but by more than a browser's rounding: 1/64 px in Chromium's.
    const std::string column =
        "(max-width: " + std::to_string(design::Pixels(design::kClientWidth) - 1) + ".98px)";
    const std::string font = std::to_string(design::kFontPointSize) + "pt \"" +
                             std::string(design::kFontFamily) + "\",\"" +
                             std::string(design::kFontStandIn) + "\",serif";
    return {{"CSP", web::Html(kContentSecurityPolicy)},
            {"CAPTION", web::Html(design::kCaption)},
            {"WIDTH", Px(design::kClientWidth)},
            {"HEIGHT", Px(design::kClientHeight)},
            {"WINDOW_COLOUR", Hex(design::kWindowColour)},
            {"CAPTION_COLOUR", Hex(design::kCaptionColour)},
            {"BOX_FRAME", Hex(design::kBoxFrameColour)},
            {"FOCUS_COLOUR", Hex(design::kFocusColour)},
            {"DESCRIPTION", web::Html(Description())},
            {"COLUMN", column},
            {"MEDIA_COLUMN", "@media " + column},
            {"COLUMN_MARGIN", std::to_string(ColumnMargin())},
            {"COLUMN_GAP", std::to_string(ColumnGap())},
            {"FONT", font},
            {"TAB_ICON", std::to_string(kTabIcon)},
            {"TOUCH_ICON", std::to_string(kTouchIcon)},
            {"FIT_STEP", Number(design::kCaptionShrinkStep)},
            {"FIT_SMALLEST", Number(design::kSmallestCaptionPointSize)},
            {"WARNING_BUTTON", web::Html(design::kWarningButton)}};
}

Json Manifest() {
    // The window's caption without the web address before it.
    const std::string_view caption = design::kCaption;
    Json icons = Json::array();
    for (int size : kIconSizes) {
        const std::string s = std::to_string(size);
        icons.push_back(
            {{"src", "icon-" + s + ".png"}, {"sizes", s + "x" + s}, {"type", "image/png"}});
    }
    return {{"name", caption.substr(caption.find(' ') + 1)},
            {"lang", "bg"},
            {"start_url", "./"},
            {"scope", "./"},
            {"display", "standalone"},
            {"background_color", Hex(design::kWindowColour)},
            {"theme_color", Hex(design::kWindowColour)},
            {"icons", icons}};
}

void Write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::cerr << "usage: generate TEMPLATE_DIR SITE_DIR DESIGN_JSON FILE_LIST\n";
        return 2;
    }
    try {
        const std::string templates = argv[1], site = argv[2];
        std::vector<std::string> kept;
        const auto page = [&](const std::string& name, const std::string& content) {
            Write(site + "/" + name, content);
            kept.push_back(name);
        };
        web::Values values = DesignValues();
        values["CONTROLS"] = ControlsHtml();
        page("index.html",
             web::Fill(web::Template(templates + "/index.html.in", "<!--", "-->"), values));
        values["CONTROLS"] = ControlsCss();
        values["COLUMN_CONTROLS"] = ColumnCss();
        page("style.css", web::Fill(web::Template(templates + "/style.css", "/*", "*/"), values));
        page("manifest.webmanifest", Manifest().dump() + '\n');
        const design::Image drawing = design::IconDrawing();
        for (int size : kIconSizes) {
            if (drawing.width == 0 || drawing.width != drawing.height || size % drawing.width != 0)
                throw std::runtime_error("icon sizes must be whole multiples of the drawing");
            const std::string png = web::EncodePng(web::Enlarged(drawing, size / drawing.width));
            if (png.empty()) throw std::runtime_error("cannot encode the icon");
            page("icon-" + std::to_string(size) + ".png", png);
        }
        // For the host, not the page.
        Write(site + "/_headers", web::Fill(web::Template(templates + "/_headers.in"), values));
        Write(argv[3], DesignJson().dump(1) + '\n');
        std::string list;
        for (const std::string& name : kept) list += name + '\n';
        Write(argv[4], list);
    } catch (const std::exception& e) {
        std::cerr << "generate: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
