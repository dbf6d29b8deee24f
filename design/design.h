// SPDX-License-Identifier: GPL-3.0-or-later
// The window as designed: every control's kind, caption, place, size and
// colour, in twips (1/1440 inch) as laid out, converted to logical pixels at
// 15 twips a pixel, and what a screen reader hears of it. Both front ends,
// the Qt window and the web page, are made from this table and nothing else:
// change the window here. Plain C++, no toolkit.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "form/form.h"

namespace design {

inline constexpr int kTwipsPerPixel = 15;
constexpr int Pixels(int twips) { return twips / kTwipsPerPixel; }
// ...with the fraction kept, for what is drawn (the scale).
constexpr double ExactPixels(int twips) { return double(twips) / kTwipsPerPixel; }

struct Rgb {
    int red, green, blue;
};

// Scale: the strip under the report (design/scale.h). Note: a line of text
// on the window's own colour, left-aligned and selectable, kNoteIndent from
// its left edge.
enum class Kind { Label, OptionButton, TextBox, PushButton, OutputBox, Scale, Note };

struct ControlDesign {
    std::string_view name;
    int index;
    Kind kind;
    std::string_view caption;
    int left, top, width, height;  // twips
    std::optional<Rgb> colour;     // none: the platform's standard colours
};

inline constexpr int kClientWidth = 6915;  // twips
inline constexpr int kClientHeight = 7035;
inline constexpr Rgb kWindowColour{192, 192, 255};
inline constexpr std::string_view kFontFamily = "Times New Roman";
// Drawn to the same metrics, so the captions fit as designed.
inline constexpr std::string_view kFontStandIn = "Liberation Serif";
inline constexpr int kFontPointSize = 12;
// A caption wider than its control (a wider stand-in font) is drawn smaller,
// a quarter point at a time, but never below six points, where it would be
// too small to read.
inline constexpr double kCaptionShrinkStep = 0.25;
inline constexpr double kSmallestCaptionPointSize = 6;
inline constexpr int kInputMaxLength = 3;
// The months of the age hold two characters: no month number has more.
inline constexpr int kMonthsMaxLength = 2;
inline constexpr int kNoteIndent = 60;  // twips
inline constexpr std::string_view kCaption =
    "teglomer.example.org Физкултура - индекс за телесна маса";

// What a screen reader calls the output box.
inline constexpr std::string_view kOutputAccessibleName = "Резултат";
// What a screen reader calls the four option buttons together.
inline constexpr std::string_view kOptionGroupName = "Метод";
// ...and the two of the sex.
inline constexpr std::string_view kSexGroupName = "Пол";
// The one button of the overflow warning, which carries the window's caption
// as its title: the word Qt's Bulgarian texts give it.
inline constexpr std::string_view kWarningButton = "Добре";

inline constexpr Rgb kLabelColour{255, 192, 128};
inline constexpr Rgb kOptionColour{128, 128, 255};
// The frame of the input and output boxes, which shows where a box is: 3.5:1
// against the window's colour, where the toolkit's own shading of it (the
// window's colour darkened by 140 %) gave 1.9:1. Both front ends draw it.
inline constexpr Rgb kBoxFrameColour{96, 96, 128};
// The ring round the control that has the keyboard focus: black stands out
// (3:1 or more) from the window and from every face.
inline constexpr Rgb kFocusColour{0, 0, 0};
// A push button's raised edge, kept here as colours so that both front ends
// draw the same edges to the last digit, under any style: lit (its face
// lightened by 150 %) and shaded (darkened by 200 %) on the inside, with a
// grey shadow outside. The window's tests pin the first two to the
// toolkit's own shading of the face.
inline constexpr Rgb kButtonShadowColour{118, 118, 118};
struct ButtonEdges {
    std::string_view control;
    Rgb light, dark;
};
inline constexpr std::array<ButtonEdges, 2> kButtonEdges{{
    {"Command1(0)", {255, 255, 255}, {64, 127, 64}},
    {"Command1(1)", {255, 127, 127}, {127, 0, 0}},
}};

// Every caption on a coloured face is black: the only text colour that is
// readable (4.5:1 or more) on all of them, the red one included.
inline constexpr Rgb kCaptionColour{0, 0, 0};

// clang-format off
// The scope of the index's classes, under the scale.
inline constexpr std::string_view kScopeNote = "Класовете са за възрастни, от 20 години.";

inline constexpr std::array<ControlDesign, 23> kControls{{
    // name      idx kind                 caption                                                        left  top   width height colour
    {"Label1",   0, Kind::Label,         "Физическо възп. - индекс за изчисляване на оптимално тегло",  120,  0,    6615, 375,  kLabelColour},
    {"Option1",  0, Kind::OptionButton,  form::kMethodCaptions[0],                                     120,  480,  3015, 375,  kOptionColour},
    {"Option1",  1, Kind::OptionButton,  form::kMethodCaptions[1],                                     120,  960,  3015, 375,  kOptionColour},
    {"Option1",  2, Kind::OptionButton,  form::kMethodCaptions[2],                                     120,  1440, 3015, 375,  kOptionColour},
    {"Option1",  3, Kind::OptionButton,  form::kMethodCaptions[3],                                     120,  1920, 3015, 375,  kOptionColour},
    {"Label2",   0, Kind::Label,         "Височина [см]: ",                                             3480, 480,  2415, 375,  kLabelColour},
    {"Label2",   1, Kind::Label,         "Тегло [кг]: ",                                                3480, 960,  2415, 375,  kLabelColour},
    {"Label2",   2, Kind::Label,         "Гръдна обиколка [см]: ",                                      3480, 1440, 2415, 375,  kLabelColour},
    {"Text2",    0, Kind::TextBox,       "",                                                            6000, 480,  735,  405,  std::nullopt},
    {"Text2",    1, Kind::TextBox,       "",                                                            6000, 960,  735,  405,  std::nullopt},
    {"Text2",    2, Kind::TextBox,       "",                                                            6000, 1440, 735,  405,  std::nullopt},
    {"Command1", 0, Kind::PushButton,    "Изчисли",                                                     480,  2400, 1695, 375,  Rgb{128, 255, 128}},
    {"Command1", 1, Kind::PushButton,    "Изтрий",                                                      4560, 2400, 1695, 375,  Rgb{255, 0, 0}},
    {"Text1",    0, Kind::OutputBox,     "",                                                            120,  2880, 6735, 2175, std::nullopt},
    {"Picture1", 0, Kind::Scale,         "",                                                            120,  5160, 6735, 900,  kWindowColour},
    {"Label3",   0, Kind::Note,          "",                                                            120,  6120, 6735, 375,  kWindowColour},
    {"Label3",   1, Kind::Note,          kScopeNote,                                                    120,  6540, 6735, 375,  kWindowColour},
    // The age, beside the last method, and the sex, between the push buttons.
    {"Label4",   0, Kind::Label,         "Години: ",                                                    3480, 1920, 1005, 375,  kLabelColour},
    {"Text3",    0, Kind::TextBox,       "",                                                            4590, 1920, 495,  405,  std::nullopt},
    {"Label4",   1, Kind::Label,         "Месеци: ",                                                    5190, 1920, 1005, 375,  kLabelColour},
    {"Text3",    1, Kind::TextBox,       "",                                                            6300, 1920, 435,  405,  std::nullopt},
    {"Option2",  0, Kind::OptionButton,  "момче",                                                       2235, 2400, 1035, 375,  kWindowColour},
    {"Option2",  1, Kind::OptionButton,  "момиче",                                                      3345, 2400, 1155, 375,  kWindowColour},
}};
// clang-format on

// The name a control goes by, "Text2(0)", and the control of a name; a name
// the table does not hold is a fault of the caller (std::out_of_range).
std::string NameOf(const ControlDesign& control);
const ControlDesign& ControlNamed(std::string_view name);
// A push button's edges; for any other control, a fault of the caller.
const ButtonEdges& EdgesOf(const ControlDesign& button);

// Hidden until the Borngard method is chosen.
inline constexpr std::array<std::string_view, 2> kHiddenAtStart{"Label2(2)", "Text2(2)"};

// Each input box is named by the label beside it, for screen readers and
// Alt keys alike: {label, box}; a screen reader says `spoken` instead,
// where the label alone would not say what the box is for.
struct Caption {
    std::string_view label, box;
    std::string_view spoken = {};
};
inline constexpr std::array<Caption, 5> kBoxCaptions{{
    {"Label2(0)", "Text2(0)"},
    {"Label2(1)", "Text2(1)"},
    {"Label2(2)", "Text2(2)"},
    {"Label4(0)", "Text3(0)", "Възраст, години"},
    {"Label4(1)", "Text3(1)", "Възраст, месеци"},
}};
// The controls the form's state names by their place in it.
inline constexpr std::string_view kInputBoxes = "Text2";
inline constexpr std::string_view kAgeBoxes = "Text3";
inline constexpr std::string_view kMethodOptions = "Option1";
inline constexpr std::string_view kSexOptions = "Option2";

// The groups of option buttons, each one choice, and what a screen reader
// calls them.
struct OptionGroup {
    std::string_view options, spoken;
};
inline constexpr std::array<OptionGroup, 2> kOptionGroups{{
    {kMethodOptions, kOptionGroupName},
    {kSexOptions, kSexGroupName},
}};
// The group of an option button; for any other control, a fault of the
// caller (std::out_of_range).
const OptionGroup& GroupOf(const ControlDesign& option);

// The most characters a box takes.
int MaxLengthOf(const ControlDesign& box);

// The scale under the report, and the line under it with the normal weights
// for the height.
inline constexpr std::string_view kScale = "Picture1(0)";
inline constexpr std::string_view kRangeNote = "Label3(0)";
// ...and the line under that: whose classes they are.
inline constexpr std::string_view kScopeNoteLine = "Label3(1)";

// The window's title, shown at its top: what the page calls its heading.
inline constexpr std::string_view kTitle = "Label1(0)";
// The output box, where the report is written.
inline constexpr std::string_view kOutputBox = "Text1(0)";

// The caption pair a label or a box belongs to; none for other controls.
const Caption* CaptionOf(std::string_view name);

// The window as one column, where a screen is narrower than it (the page on
// a phone): a control's place, in the window's reading order, top to
// bottom, then left to right, where each group of option buttons goes as
// one block, a box with the label that names it, and a row's push buttons
// after the rest of the row (the sex before «Изчисли»); the margin
// (between the window's edge and the nearest control) and the gap (between
// a control and the next one below it), in pixels.
int ColumnOrder(const ControlDesign& control);
int ColumnMargin();
int ColumnGap();

// The order Tab moves the focus in; the window opens on the first. The age
// and the sex come after the weight, before «Изчисли».
inline constexpr std::array<std::string_view, 14> kFocusOrder{
    "Text1(0)",   "Text2(0)",   "Text2(1)",    "Text3(0)",    "Text3(1)",
    "Option2(0)", "Option2(1)", "Command1(0)", "Command1(1)", "Option1(0)",
    "Option1(1)", "Option1(2)", "Text2(2)",    "Option1(3)",
};

}  // namespace design
