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
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "design/design.h"
#include "design/icon.h"
#include "design/reference_text.h"
#include "web/dom.h"
#include "web/png.h"

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

// ---- Templates ----

using Values = std::map<std::string, std::string, std::less<>>;

// Text for HTML, in an attribute or between tags alike. A CR goes: the
// parser makes CR LF a line feed anyway.
std::string Html(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The template with every @NAME@ replaced by its value. A name without a
// value is a fault of this program, not something to leave in the page.
std::string Fill(std::string_view text, const Values& values) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t open = text.find('@', at);
        out += text.substr(at, open - at);
        if (open == std::string_view::npos) return out;
        const std::size_t close = text.find('@', open + 1);
        const auto value = values.find(text.substr(open + 1, close - open - 1));
        if (close == std::string_view::npos || value == values.end())
            throw std::runtime_error("no value for " + std::string(text.substr(open, 40)));
        out += value->second;
        at = close + 1;
    }
}

// A template as the developer reads it, less the lines that are only a
// comment (from a line starting with `open` to the one holding `close`);
// with no `open`, whole.
std::string Template(const std::string& path, std::string_view open, std::string_view close) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    if (open.empty()) return std::string(std::istreambuf_iterator<char>(in), {});
    std::string out, line;
    bool inComment = false;
    while (std::getline(in, line)) {
        const std::string_view trimmed(line.data() +
                                       std::min(line.find_first_not_of(' '), line.size()));
        if (!inComment && !trimmed.starts_with(open)) {
            out += line + '\n';
            continue;
        }
        inComment = line.find(close) == std::string::npos;
    }
    return out;
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

// The element of one control. Focusable ones come in the design's focus
// order, so Tab follows it without tabindex.
std::string ControlHtml(const ControlDesign& d) {
    Values v{{"ID", Id(d)},
             {"CAPTION", Html(d.caption)},
             {"HIDDEN", HiddenAtStart(d) ? " hidden" : ""},
             {"INDEX", std::to_string(d.index)}};
    switch (d.kind) {
        case Kind::Label:
            if (const design::Caption* c = CaptionOf(Name(d))) {
                v["FOR"] = web::ElementId(c->box);
                return Fill(
                    R"(<label id="@ID@" for="@FOR@" class="face fit"@HIDDEN@>@CAPTION@</label>)",
                    v);
            }
            return Fill(R"(<h1 id="@ID@" class="face fit"@HIDDEN@>@CAPTION@</h1>)", v);
        case Kind::OptionButton:
            // Each option a Tab stop of its own, as in the window: radios of
            // no common name, made one choice by app.js, told to screen
            // readers as the n-th of the four.
            v["POSITION"] = std::to_string(d.index + 1);
            v["COUNT"] = std::to_string(form::kOptionCount);
            return Fill(
                R"(<div id="@ID@-box" class="face option"@HIDDEN@><input type="radio" id="@ID@" value="@INDEX@" aria-posinset="@POSITION@" aria-setsize="@COUNT@"><label for="@ID@" class="fit">@CAPTION@</label></div>)",
                v);
        case Kind::TextBox:
            // Enter in a box does what "Изчисли" does.
            v["LENGTH"] = std::to_string(design::kInputMaxLength);
            v["COMMAND"] = std::to_string(form::kCalculate);
            return Fill(
                R"(<input type="text" id="@ID@" maxlength="@LENGTH@" data-command="@COMMAND@" inputmode="decimal" autocomplete="off" spellcheck="false"@HIDDEN@>)",
                v);
        case Kind::PushButton:
            return Fill(
                R"(<button type="button" id="@ID@" class="face fit" data-command="@INDEX@"@HIDDEN@>@CAPTION@</button>)",
                v);
        case Kind::OutputBox:
            // Read-only for typing, but selectable and copyable; the window
            // opens with the focus here. The parser drops the line feed after
            // the tag, so the text keeps its first character whatever it is.
            v["NAME"] = Html(design::kOutputAccessibleName);
            v["FOCUS"] = design::kFocusOrder.front() == Name(d) ? " autofocus" : "";
            v["TEXT"] = Html(design::kReferenceText);
            return Fill(
                "<textarea id=\"@ID@\" readonly "
                "aria-label=\"@NAME@\"@FOCUS@@HIDDEN@>\n@TEXT@</textarea>",
                v);
    }
    return {};
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
                 Fill(R"(<fieldset aria-label="@NAME@"@OWNS@>)",
                      {{"NAME", Html(design::kOptionGroupName)},
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
        Values v{{"SELECTOR", Id(d) + (d.kind == Kind::OptionButton ? "-box" : "")},
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
            v["EDGE"] = Fill(
                ";border-color:@LIGHT@ @SHADOW@ @SHADOW@ @LIGHT@;box-shadow:inset -1px -1px @DARK@",
                v);
            pressed = Fill(
                "#@SELECTOR@:active{border-color:@SHADOW@ @LIGHT@ @LIGHT@ "
                "@SHADOW@;box-shadow:inset 1px 1px @DARK@}\n",
                v);
        }
        css += Fill(
                   "#@SELECTOR@{left:@LEFT@px;top:@TOP@px;width:@WIDTH@px;height:@HEIGHT@px@FACE@@"
                   "EDGE@}\n",
                   v) +
               pressed;
    }
    css.pop_back();
    return css;
}

// ---- design.json ----

std::string_view KindName(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return "label";
        case Kind::OptionButton:
            return "option";
        case Kind::TextBox:
            return "text";
        case Kind::PushButton:
            return "button";
        case Kind::OutputBox:
            return "multiline";
    }
    return "";
}

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
             {"kind", KindName(d.kind)},
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
            {"texts", {{"header", form::kHeaderLabel}, {"cleared", form::kClearedText}}},
            {"contentSecurityPolicy", kContentSecurityPolicy},
            {"referenceText", design::kReferenceText}};
}

// ---- the site ----

Values DesignValues() {
    const std::string font = std::to_string(design::kFontPointSize) + "pt \"" +
                             std::string(design::kFontFamily) + "\",\"" +
                             std::string(design::kFontStandIn) + "\",serif";
    return {{"CSP", Html(kContentSecurityPolicy)},
            {"CAPTION", Html(design::kCaption)},
            {"WIDTH", Px(design::kClientWidth)},
            {"HEIGHT", Px(design::kClientHeight)},
            {"WINDOW_COLOUR", Hex(design::kWindowColour)},
            {"CAPTION_COLOUR", Hex(design::kCaptionColour)},
            {"BOX_FRAME", Hex(design::kBoxFrameColour)},
            {"FONT", font},
            {"TAB_ICON", std::to_string(kTabIcon)},
            {"TOUCH_ICON", std::to_string(kTouchIcon)},
            {"FIT_STEP", Number(design::kCaptionShrinkStep)},
            {"FIT_SMALLEST", Number(design::kSmallestCaptionPointSize)},
            {"WARNING_BUTTON", Html(design::kWarningButton)}};
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
        Values values = DesignValues();
        values["CONTROLS"] = ControlsHtml();
        page("index.html", Fill(Template(templates + "/index.html.in", "<!--", "-->"), values));
        values["CONTROLS"] = ControlsCss();
        page("style.css", Fill(Template(templates + "/style.css", "/*", "*/"), values));
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
        Write(site + "/_headers", Fill(Template(templates + "/_headers.in", {}, {}), values));
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
