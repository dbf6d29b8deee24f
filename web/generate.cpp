// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the page from the design table at build time, so the window shows
// before the WebAssembly arrives and nothing of the design is written twice:
//   generate SITE_DIR DESIGN_JSON
// SITE_DIR gets index.html, style.css, manifest.webmanifest and the icons;
// DESIGN_JSON is the table as the page's tests read it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
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

// The policy the page is written for; hosts should send it too.
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'";
// The icon's sizes: the tab's, and the two an installed app asks for.
constexpr int kIconSizes[] = {32, 192, 512};

std::string Name(const ControlDesign& d) { return design::NameOf(d); }
const ControlDesign& Control(std::string_view name) { return design::ControlNamed(name); }

bool HiddenAtStart(const ControlDesign& d) {
    return std::find(design::kHiddenAtStart.begin(), design::kHiddenAtStart.end(), Name(d)) !=
           design::kHiddenAtStart.end();
}

// The box a label names, if it names one.
const design::Caption* CaptionFor(std::string_view name, bool ofLabel) {
    for (const design::Caption& c : design::kBoxCaptions)
        if ((ofLabel ? c.label : c.box) == name) return &c;
    return nullptr;
}

// ---- Writing text ----

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
                break;  // the parser makes CR LF a line feed anyway
            default:
                out += c;
        }
    }
    return out;
}

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (std::uint8_t(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + '"';
}

std::string Hex(const Rgb& c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
    return buffer;
}

std::string JsonRgb(const Rgb& c) {
    return '[' + std::to_string(c.red) + ',' + std::to_string(c.green) + ',' +
           std::to_string(c.blue) + ']';
}

std::string Number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

// ---- Shades, as the window's style derives them from a face ----

// A colour made lighter (factor > 100) or darker (factor < 100) in HSV
// space, in the 16-bit steps Qt takes for QColor::lighter and darker, so
// that a button's edge is the window's to the last digit.
Rgb Shade(const Rgb& c, int lighterPercent, int darkerPercent) {
    const double r = c.red / 255.0, g = c.green / 255.0, b = c.blue / 255.0;
    const double max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
    long value = std::lround(max * 65535);
    long saturation = delta == 0 ? 0 : std::lround(delta / max * 65535);
    double hue = 0;  // sixths of the circle
    if (delta != 0) {
        if (max == r)
            hue = (g - b) / delta;
        else if (max == g)
            hue = 2 + (b - r) / delta;
        else
            hue = 4 + (r - g) / delta;
        if (hue < 0) hue += 6;
        hue = std::lround(hue * 6000) / 6000.0;
    }
    value = value * lighterPercent / 100 * 100 / darkerPercent;
    if (value > 65535) {
        saturation = std::max(0L, saturation - (value - 65535));
        value = 65535;
    }
    const double s = saturation / 65535.0, v = value / 65535.0;
    const int sector = int(hue) % 6;
    const double f = hue - int(hue);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    const double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    const auto channel = [](double x) {
        const long sixteen = std::lround(x * 65535);
        return int((sixteen - ((sixteen + 128) >> 8) + 128) >> 8);  // / 257, rounded
    };
    const double* out = saturation == 0 ? nullptr : rgb[sector];
    return out ? Rgb{channel(out[0]), channel(out[1]), channel(out[2])}
               : Rgb{channel(v), channel(v), channel(v)};
}
Rgb Lighter(const Rgb& c, int percent) { return Shade(c, percent, 100); }
Rgb Darker(const Rgb& c, int percent) { return Shade(c, 100, percent); }

// The style's dark edge of a raised button, whatever its face.
constexpr Rgb kButtonShadow{118, 118, 118};

// ---- index.html ----

std::string Hidden(const ControlDesign& d) { return HiddenAtStart(d) ? " hidden" : ""; }

// The element of one control. Focusable ones come in the design's focus
// order, so Tab follows it without tabindex; a label comes just before the
// box it names.
std::string ControlHtml(const ControlDesign& d) {
    const std::string id = web::ElementId(d.name, d.index);
    switch (d.kind) {
        case Kind::Label:
            if (const design::Caption* c = CaptionFor(Name(d), true))
                return "<label id=\"" + id + "\" for=\"" + web::ElementId(c->box) +
                       "\" class=\"face fit\"" + Hidden(d) + ">" + Html(d.caption) + "</label>\n";
            return "<h1 id=\"" + id + "\" class=\"face fit\"" + Hidden(d) + ">" + Html(d.caption) +
                   "</h1>\n";
        case Kind::OptionButton:
            // Each option a Tab stop of its own, as in the window: radios of
            // no common name, made one choice by app.js, told to screen
            // readers as the n-th of the four.
            return "<div id=\"" + id + "-box\" class=\"face option\"" + Hidden(d) +
                   "><input type=\"radio\" id=\"" + id + "\" value=\"" + std::to_string(d.index) +
                   "\" aria-posinset=\"" + std::to_string(d.index + 1) + "\" aria-setsize=\"" +
                   std::to_string(form::kOptionCount) + "\"><label for=\"" + id +
                   "\" class=\"fit\">" + Html(d.caption) + "</label></div>\n";
        case Kind::TextBox:
            // Enter in a box does what "Изчисли" does.
            return "<input type=\"text\" id=\"" + id + "\" maxlength=\"" +
                   std::to_string(design::kInputMaxLength) + "\" data-command=\"" +
                   std::to_string(form::kCalculate) +
                   "\" inputmode=\"decimal\" autocomplete=\"off\" spellcheck=\"false\"" +
                   Hidden(d) + ">\n";
        case Kind::PushButton:
            return "<button type=\"button\" id=\"" + id + "\" class=\"face fit\" data-command=\"" +
                   std::to_string(d.index) + "\"" + Hidden(d) + ">" + Html(d.caption) +
                   "</button>\n";
        case Kind::OutputBox:
            // Read-only for typing, but selectable and copyable; the window
            // opens with the focus here. The line feed after the tag is
            // dropped by the parser, so the text keeps its first character
            // whatever it is.
            return "<textarea id=\"" + id + "\" readonly aria-label=\"" +
                   Html(design::kOutputAccessibleName) + "\"" +
                   (design::kFocusOrder.front() == Name(d) ? " autofocus" : "") + Hidden(d) +
                   ">\n" + Html(design::kReferenceText) + "</textarea>\n";
    }
    return {};
}

std::string IndexHtml() {
    std::string controls = ControlHtml(Control(design::kTitle));
    // The option buttons that follow one another in the focus order make
    // one named group; one that comes later (after a box between them) is
    // drawn into the group for screen readers by aria-owns.
    std::vector<std::string> options, owned;
    bool inGroup = false, groupDone = false;
    for (std::string_view name : design::kFocusOrder) {
        const ControlDesign& d = Control(name);
        if (d.kind == Kind::OptionButton) {
            if (groupDone) owned.push_back(web::ElementId(d.name, d.index) + "-box");
            if (!inGroup && !groupDone) {
                controls +=
                    "<fieldset aria-label=\"" + Html(design::kOptionGroupName) + "\"@OWNS@>\n";
                inGroup = true;
            }
        } else if (inGroup) {
            controls += "</fieldset>\n";
            inGroup = false;
            groupDone = true;
        }
        if (const design::Caption* c = CaptionFor(name, false))
            controls += ControlHtml(Control(c->label));
        controls += ControlHtml(d);
    }
    if (inGroup) controls += "</fieldset>\n";
    std::string owns;
    for (const std::string& id : owned) owns += (owns.empty() ? "" : " ") + id;
    if (const auto at = controls.find("@OWNS@"); at != std::string::npos)
        controls.replace(at, 6, owns.empty() ? "" : " aria-owns=\"" + owns + "\"");

    const int width = design::Pixels(design::kClientWidth);
    std::string html;
    html += "<!DOCTYPE html>\n<html lang=\"bg\">\n<head>\n<meta charset=\"utf-8\">\n";
    html += "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
            Html(kContentSecurityPolicy) + "\">\n";
    // A phone lays the page out as wide as the window and scales it to fit.
    html += "<meta name=\"viewport\" content=\"width=" + std::to_string(width) + "\">\n";
    html += "<title>" + Html(design::kCaption) + "</title>\n";
    html += "<meta name=\"theme-color\" content=\"" + Hex(design::kWindowColour) + "\">\n";
    html += "<link rel=\"stylesheet\" href=\"style.css\">\n";
    html += "<link rel=\"icon\" href=\"icon-32.png\" sizes=\"32x32\" type=\"image/png\">\n";
    html += "<link rel=\"apple-touch-icon\" href=\"icon-192.png\">\n";
    html += "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n";
    // The module is fetched while the page is read, not after its scripts run.
    html +=
        "<link rel=\"preload\" href=\"teglomer.wasm\" as=\"fetch\" type=\"application/wasm\" "
        "crossorigin>\n";
    html += "<script src=\"teglomer.js\" defer></script>\n";
    html += "<script src=\"app.js\" defer></script>\n";
    html += "</head>\n<body>\n";
    // The caption-fitting steps travel with the page for app.js.
    html += "<main id=\"window\" data-fit-step=\"" + Number(design::kCaptionShrinkStep) +
            "\" data-fit-smallest=\"" + Number(design::kSmallestCaptionPointSize) + "\">\n";
    html += controls;
    html += "</main>\n";
    html += "<div id=\"announcer\" aria-live=\"polite\" aria-atomic=\"true\"></div>\n";
    html +=
        "<dialog id=\"warning\" role=\"alertdialog\" aria-labelledby=\"warning-title\" "
        "aria-describedby=\"warning-message\">\n";
    html += "<h2 id=\"warning-title\">" + Html(design::kCaption) + "</h2>\n";
    html += "<p id=\"warning-message\"></p>\n";
    html += "<button type=\"button\" id=\"warning-ok\" autofocus>" + Html(design::kWarningButton) +
            "</button>\n</dialog>\n";
    html += "</body>\n</html>\n";
    return html;
}

// ---- style.css ----

std::string Px(int twips) { return std::to_string(design::Pixels(twips)) + "px"; }

std::string StyleCss() {
    const Rgb window = design::kWindowColour;
    // The boxes' frame, as the window's style draws it on this background.
    const std::string frame = Hex(Darker(window, 140));
    std::ostringstream css;
    css << "html{background:" << Hex(window) << "}\n"
        << "body{margin:0}\n"
        << "[hidden]{display:none!important}\n"
        // Where the screen is wider, the window stands at its own size.
        << "#window{position:relative;margin:0 auto;width:" << Px(design::kClientWidth)
        << ";height:" << Px(design::kClientHeight) << ";background:" << Hex(window)
        << ";color:" << Hex(design::kCaptionColour) << ";font:" << design::kFontPointSize << "pt \""
        << design::kFontFamily << "\",\"" << design::kFontStandIn << "\",serif}\n"
        << "#window *{box-sizing:border-box;margin:0;font:inherit;color:inherit}\n"
        << "fieldset{border:0;padding:0;min-width:0}\n"
        // Captions keep their spaces and one line, centred as the window's.
        << ".face{position:absolute;display:flex;align-items:center;justify-content:center;"
           "white-space:pre;overflow:hidden;padding:0}\n"
        // An option: the round indicator, then its caption, which takes the
        // rest of the face so a click anywhere on it chooses.
        << ".option{justify-content:flex-start}\n"
        << ".option input{flex:none;width:14px;height:14px;margin:0 0 0 1px}\n"
        << ".option label{flex:auto;min-width:0;align-self:stretch;display:flex;align-items:center;"
           "padding-left:6px}\n"
        // A push button in its colour with a raised edge that sinks while
        // pressed; the caption's room is inside the edge.
        << "button.face{border:1px solid;padding:1px 3px;cursor:default}\n"
        << "button.face:active{padding:2px 2px 0 4px}\n"
        << "input[type=text],textarea{position:absolute;border:1px solid " << frame
        << ";border-radius:2px;background:#fff;padding:0 2px}\n"
        << "textarea{resize:none;overflow-x:hidden;overflow-y:scroll;padding:2px 4px}\n";
    for (const ControlDesign& d : design::kControls) {
        const std::string id = web::ElementId(d.name, d.index);
        const std::string selector =
            "#" + id + (d.kind == Kind::OptionButton ? "-box" : std::string());
        css << selector << "{left:" << Px(d.left) << ";top:" << Px(d.top)
            << ";width:" << Px(d.width) << ";height:" << Px(d.height);
        if (d.colour) css << ";background:" << Hex(*d.colour);
        if (d.kind == Kind::PushButton && d.colour) {
            const Rgb light = Lighter(*d.colour, 150), dark = Darker(*d.colour, 200);
            css << ";border-color:" << Hex(light) << ' ' << Hex(kButtonShadow) << ' '
                << Hex(kButtonShadow) << ' ' << Hex(light) << ";box-shadow:inset -1px -1px "
                << Hex(dark) << "}\n";
            css << "#" << id << ":active{border-color:" << Hex(kButtonShadow) << ' ' << Hex(light)
                << ' ' << Hex(light) << ' ' << Hex(kButtonShadow) << ";box-shadow:inset 1px 1px "
                << Hex(dark) << "}\n";
        } else {
            css << "}\n";
        }
    }
    // Heard, never seen.
    css << "#announcer{position:absolute;left:0;top:0;width:1px;height:1px;overflow:hidden;"
           "clip-path:inset(50%);white-space:pre-wrap}\n";
    css << "dialog{max-width:" << Px(design::kClientWidth) << ";border:1px solid " << frame
        << ";padding:12px;font:" << design::kFontPointSize << "pt \"" << design::kFontFamily
        << "\",\"" << design::kFontStandIn << "\",serif}\n"
        << "dialog h2{margin:0 0 8px;font-size:1em}\n"
        << "dialog p{margin:0 0 12px}\n"
        << "dialog button{display:block;margin:0 auto;min-width:6em;font:inherit}\n";
    return css.str();
}

// ---- manifest.webmanifest ----

std::string Manifest() {
    // The window's caption without the web address before it.
    const std::string_view caption = design::kCaption;
    const std::string name(caption.substr(caption.find(' ') + 1));
    std::string icons;
    for (int size : kIconSizes) {
        const std::string s = std::to_string(size);
        icons += std::string(icons.empty() ? "" : ",") + "{\"src\":\"icon-" + s +
                 ".png\",\"sizes\":\"" + s + "x" + s + "\",\"type\":\"image/png\"}";
    }
    return "{\"name\":" + Json(name) + ",\"lang\":\"bg\",\"start_url\":\"./\",\"scope\":\"./\"," +
           "\"display\":\"standalone\",\"background_color\":" + Json(Hex(design::kWindowColour)) +
           ",\"theme_color\":" + Json(Hex(design::kWindowColour)) + ",\"icons\":[" + icons + "]}\n";
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

std::string DesignJson() {
    std::string controls;
    for (const ControlDesign& d : design::kControls) {
        const auto box = [](int l, int t, int w, int h) {
            return "{\"left\":" + std::to_string(l) + ",\"top\":" + std::to_string(t) +
                   ",\"width\":" + std::to_string(w) + ",\"height\":" + std::to_string(h) + "}";
        };
        controls += std::string(controls.empty() ? "" : ",\n") + "  {\"name\":" + Json(Name(d)) +
                    ",\"id\":" + Json(web::ElementId(d.name, d.index)) +
                    ",\"kind\":" + Json(KindName(d.kind)) + ",\"caption\":" + Json(d.caption) +
                    ",\"twips\":" + box(d.left, d.top, d.width, d.height) + ",\"px\":" +
                    box(design::Pixels(d.left), design::Pixels(d.top), design::Pixels(d.width),
                        design::Pixels(d.height)) +
                    ",\"colour\":" + (d.colour ? JsonRgb(*d.colour) : "null") +
                    ",\"hiddenAtStart\":" + (HiddenAtStart(d) ? "true" : "false") + "}";
    }
    std::string focus, captions;
    for (std::string_view name : design::kFocusOrder)
        focus += std::string(focus.empty() ? "" : ",") + Json(name);
    for (const design::Caption& c : design::kBoxCaptions)
        captions += std::string(captions.empty() ? "" : ",") + "{\"label\":" + Json(c.label) +
                    ",\"box\":" + Json(c.box) + "}";
    const ControlDesign& chestLabel = Control(design::kBoxCaptions[form::kChestGirth].label);
    std::string json = "{\n";
    json += " \"caption\":" + Json(design::kCaption) + ",\n";
    json += " \"client\":{\"width\":" + std::to_string(design::kClientWidth) +
            ",\"height\":" + std::to_string(design::kClientHeight) +
            ",\"widthPx\":" + std::to_string(design::Pixels(design::kClientWidth)) +
            ",\"heightPx\":" + std::to_string(design::Pixels(design::kClientHeight)) + "},\n";
    json += " \"twipsPerPixel\":" + std::to_string(design::kTwipsPerPixel) + ",\n";
    json += " \"windowColour\":" + JsonRgb(design::kWindowColour) + ",\n";
    json += " \"captionColour\":" + JsonRgb(design::kCaptionColour) + ",\n";
    json += " \"font\":{\"family\":" + Json(design::kFontFamily) +
            ",\"standIn\":" + Json(design::kFontStandIn) +
            ",\"pointSize\":" + std::to_string(design::kFontPointSize) + "},\n";
    json += " \"captionFit\":{\"step\":" + Number(design::kCaptionShrinkStep) +
            ",\"smallestPointSize\":" + Number(design::kSmallestCaptionPointSize) + "},\n";
    json += " \"inputMaxLength\":" + std::to_string(design::kInputMaxLength) + ",\n";
    json += " \"title\":" + Json(design::kTitle) + ",\n";
    json += " \"controls\":[\n" + controls + "\n ],\n";
    json += " \"focusOrder\":[" + focus + "],\n";
    json += " \"boxCaptions\":[" + captions + "],\n";
    json += " \"names\":{\"output\":" + Json(design::kOutputAccessibleName) +
            ",\"methodGroup\":" + Json(design::kOptionGroupName) +
            ",\"chestGirthShown\":" + Json(design::BoxShownMessage(chestLabel.caption)) +
            ",\"warningButton\":" + Json(design::kWarningButton) + "},\n";
    json += " \"referenceText\":" + Json(design::kReferenceText) + "\n";
    json += "}\n";
    return json;
}

void Write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: generate SITE_DIR DESIGN_JSON\n";
        return 2;
    }
    try {
        const std::string site = argv[1];
        const design::Image drawing = design::IconDrawing();
        if (drawing.width == 0) throw std::runtime_error("the icon's drawing cannot be read");
        Write(site + "/index.html", IndexHtml());
        Write(site + "/style.css", StyleCss());
        Write(site + "/manifest.webmanifest", Manifest());
        for (int size : kIconSizes) {
            if (size % drawing.width != 0 || drawing.width != drawing.height)
                throw std::runtime_error("icon sizes must be whole multiples of the drawing");
            Write(site + "/icon-" + std::to_string(size) + ".png",
                  web::EncodePng(web::Enlarged(drawing, size / drawing.width)));
        }
        Write(argv[2], DesignJson());
    } catch (const std::exception& e) {
        std::cerr << "generate: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
