// SPDX-License-Identifier: GPL-3.0-or-later
// The page's binding: the form's state over the page's elements, and the
// handlers the page's events call. The same handlers as the window's; only
// the controls they read and write are elements here.
#include <emscripten.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "design/design.h"
#include "design/presentation.h"
#include "design/scale.h"
#include "form/form.h"
#include "form/form_state.h"
#include "form/memory_form_state.h"
#include "web/dom.h"

namespace {

// clang-format off
// Text comes from the page in two steps: its size in UTF-8, then the bytes
// into the module's buffer. What an element holds: 0 its value, 1 the text
// of its label (an option's caption).
EM_JS(int, JsTextSize, (const char* id, int what), {
    const el = document.getElementById(UTF8ToString(id));
    Module.text = new TextEncoder().encode(
        what ? document.querySelector('label[for="' + el.id + '"]').textContent : el.value);
    return Module.text.length;
});
// The decimal separator of the browser's language, as app.js found it.
EM_JS(int, JsDecimalSeparatorSize, (), {
    Module.text = new TextEncoder().encode(Module.page.decimalSeparator);
    return Module.text.length;
});
EM_JS(void, JsTextCopy, (char* out), {
    HEAPU8.set(Module.text, out);
    Module.text = null;
});
EM_JS(void, JsSetValue, (const char* id, const char* text), {
    document.getElementById(UTF8ToString(id)).value = UTF8ToString(text);
});
EM_JS(int, JsChecked, (const char* id), {
    return document.getElementById(UTF8ToString(id)).checked;
});
EM_JS(void, JsSetChecked, (const char* id, int checked), {
    document.getElementById(UTF8ToString(id)).checked = !!checked;
});
// By the attribute, which an SVG element has too.
EM_JS(int, JsSetHidden, (const char* id, int hidden), {
    const el = document.getElementById(UTF8ToString(id));
    const was = el.hasAttribute('hidden');
    el.toggleAttribute('hidden', !!hidden);
    return was;
});
EM_JS(void, JsSetAttribute, (const char* id, const char* name, const char* value), {
    document.getElementById(UTF8ToString(id)).setAttribute(UTF8ToString(name), UTF8ToString(value));
});
EM_JS(void, JsSetClass, (const char* id, const char* name, int set), {
    document.getElementById(UTF8ToString(id)).classList.toggle(UTF8ToString(name), !!set);
});
EM_JS(void, JsSetText, (const char* id, const char* text), {
    document.getElementById(UTF8ToString(id)).textContent = UTF8ToString(text);
});
// The page's live region and its warning dialog, kept by app.js.
EM_JS(void, JsAnnounce, (const char* text), { Module.page.announce(UTF8ToString(text)); });
EM_JS(void, JsWarn, (const char* text), { Module.page.warn(UTF8ToString(text)); });
// clang-format on

// The text whose size the page has just given.
std::string Received(int size) {
    std::string text(std::size_t(size), '\0');
    JsTextCopy(text.data());
    return text;
}

std::string Text(const std::string& id, int what) { return Received(JsTextSize(id.c_str(), what)); }

class Page final : public form::FormState {
public:
    // Empties the boxes and lets the options go (a browser may have kept
    // them over a reload), as the window's load does; numbers need no
    // separator there.
    void Load() { form::Form(*this, "").Form_Load(); }

    // The form, made at the first choice or command with the decimal
    // separator of the browser's language: the first use of the browser's
    // number formats takes tens of milliseconds, which the page's start
    // need not wait for. The scale's labels then follow it too.
    form::Form& Form() {
        if (!form_) {
            form_.emplace(*this, Received(JsDecimalSeparatorSize()));
            Show(design::StripAtStart(form_->DecimalSeparator()));
        }
        return *form_;
    }

    std::string InputText(int index) const override { return Text(Input(index), 0); }
    void SetInputText(int index, const std::string& text) override {
        JsSetValue(Input(index).c_str(), text.c_str());
    }
    std::string OutputText() const override { return design::ToFormText(Text(kOutput, 0)); }
    void SetOutputText(const std::string& text) override {
        JsSetValue(kOutput.c_str(), design::ToDisplayText(text).c_str());
    }
    std::string OptionCaption(int index) const override { return Text(Option(index), 1); }
    void SetOptionValue(int index, bool checked) override {
        JsSetChecked(Option(index).c_str(), checked);
    }
    std::string AgeText(int index) const override { return Text(AgeBox(index), 0); }
    void SetAgeText(int index, const std::string& text) override {
        JsSetValue(AgeBox(index).c_str(), text.c_str());
    }
    bool SexValue(int index) const override { return JsChecked(Sex(index).c_str()); }
    void SetSexValue(int index, bool checked) override {
        JsSetChecked(Sex(index).c_str(), checked);
    }
    void SetChestGirthLabelVisible(bool visible) override {
        JsSetHidden(web::ElementId(ChestGirthCaption().label).c_str(), !visible);
    }
    void SetChestGirthInputVisible(bool visible) override {
        const bool wasHidden = JsSetHidden(Input(form::kChestGirth).c_str(), !visible);
        if (const auto told = design::ChestGirthAnnouncement(wasHidden, visible))
            JsAnnounce(told->c_str());
    }
    void ShowOverflowWarning(const std::string& message) override { JsWarn(message.c_str()); }

    // Runs a push button's handler (or Enter's in a box), shows the strip
    // under the report, then tells screen readers what the output box now
    // says.
    void Command(int index) {
        const design::CommandOutcome outcome = design::Command(Form(), *this, index);
        if (outcome.strip) Show(*outcome.strip);
        JsAnnounce(outcome.announcement.c_str());
    }

    // The strip: its bands and boundaries moved to their places along the
    // bar, in its colours and with its labels, those it does not use hidden;
    // its marks moved, its name, and the lines under it, each hidden while
    // it has nothing to say.
    void Show(const design::Strip& strip) {
        const std::string scale = web::ElementId(design::kScale);
        const auto percent = [](double along) { return std::to_string(along * 100) + "%"; };
        for (std::size_t b = 0; b < design::kMostBands; ++b) {
            const std::string id = web::PartId(scale, web::kBandPart, b);
            if (b < strip.bands.size()) {
                const design::Band& band = strip.bands[b];
                JsSetAttribute(id.c_str(), "x", percent(band.from).c_str());
                JsSetAttribute(id.c_str(), "width", percent(band.to - band.from).c_str());
                JsSetAttribute(id.c_str(), "fill", web::Hex(band.colour).c_str());
            }
            JsSetHidden(id.c_str(), b >= strip.bands.size());
        }
        for (std::size_t b = 0; b + 1 < design::kMostBands; ++b) {
            const std::string id = web::PartId(scale, web::kBoundaryPart, b);
            if (b < strip.boundaries.size()) {
                const design::Boundary& boundary = strip.boundaries[b];
                const std::string label = web::PartId(scale, web::kLabelPart, b);
                JsSetAttribute(id.c_str(), "x", percent(boundary.at).c_str());
                JsSetText(label.c_str(), boundary.label.c_str());
                JsSetClass(label.c_str(), std::string(web::kMinorClass).c_str(), boundary.minor);
            }
            JsSetHidden(id.c_str(), b >= strip.boundaries.size());
        }
        const auto mark = [&scale, &percent](const std::string& which, const auto& place) {
            const std::string id = scale + "-" + which;
            if (place) JsSetAttribute(id.c_str(), "x", percent(place->along).c_str());
            JsSetHidden(id.c_str(), !place);
            JsSetHidden((id + "-before").c_str(), !place || place->beyond >= 0);
            JsSetHidden((id + "-after").c_str(), !place || place->beyond <= 0);
        };
        mark("standing", strip.standing);
        mark("desired", strip.desired);
        JsSetAttribute(scale.c_str(), "aria-label", strip.name.c_str());
        for (const auto& [line, text] : {std::pair(design::kRangeNote, &strip.rangeNote),
                                         std::pair(design::kScopeNoteLine, &strip.scopeNote)}) {
            const std::string id = web::ElementId(line);
            JsSetText(id.c_str(), text->c_str());
            JsSetHidden(id.c_str(), text->empty());
        }
    }

private:
    static std::string Input(int index) { return web::ElementId(design::kInputBoxes, index); }
    static std::string Option(int index) { return web::ElementId(design::kMethodOptions, index); }
    static std::string AgeBox(int index) { return web::ElementId(design::kAgeBoxes, index); }
    static std::string Sex(int index) { return web::ElementId(design::kSexOptions, index); }
    static const design::Caption& ChestGirthCaption() {
        return design::kBoxCaptions[form::kChestGirth];
    }

    inline static const std::string kOutput = web::ElementId(design::kOutputBox);
    std::optional<form::Form> form_;
};

std::unique_ptr<Page> page;

}  // namespace

// What app.js calls: the window's load, a choice of method, a push button,
// and a warm-up when the browser is idle.
extern "C" {

EMSCRIPTEN_KEEPALIVE void teglomer_load() {
    page = std::make_unique<Page>();
    page->Load();
}

EMSCRIPTEN_KEEPALIVE void teglomer_option(int index) {
    if (page) page->Form().Option1_Click(index);
}

EMSCRIPTEN_KEEPALIVE void teglomer_command(int index) {
    if (page) page->Command(index);
}

// Runs every method once, a child's report with its strip, and the
// overflow path, on a form kept in memory. The browser compiles the
// module's code at its first call; this way the first Calculate a person
// makes does not wait for that. The page does not change.
EMSCRIPTEN_KEEPALIVE void teglomer_warm() {
    form::MemoryFormState state;
    form::Form form(state, ",");
    state.inputs = {"170", "72", "90"};
    for (int method = 0; method < form::kOptionCount; ++method) {
        form.Option1_Click(method);
        form.Command1_Click(form::kCalculate);
    }
    state.inputs = {"150", "38", ""};
    state.ages[form::kAgeYears] = "12";
    state.sexes[form::kBoy] = true;
    form.Option1_Click(int(form::Method::BodyMassIndex));
    design::Command(form, state, form::kCalculate);
    state.inputs[form::kWeight] = "9e9";
    form.Command1_Click(form::kCalculate);
    form.Command1_Click(form::kClear);
}

}  // extern "C"
