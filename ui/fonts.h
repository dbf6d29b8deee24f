// SPDX-License-Identifier: GPL-3.0-or-later
// The window's font: the design's family where it is installed, its
// metric-compatible stand-in otherwise, and captions drawn smaller where the
// system's font is wider than the design's.
#pragma once

#include <QFont>

class QWidget;

namespace ui {

// The design's font, 12 points, with a family the system has: the design's
// own, else its metric-compatible stand-in, else whatever the system puts in
// the design family's place. Chosen once here, so no widget searches for a
// family that is not installed.
QFont DesignFont();

// While it lives, `font` is the application font, so that widgets built
// meanwhile lay out their first text in it instead of loading the system
// font only to drop it; the previous application font comes back after, so
// dialogs and menus keep the system's.
class ApplicationFontScope {
public:
    explicit ApplicationFontScope(const QFont& font);
    ~ApplicationFontScope();
    ApplicationFontScope(const ApplicationFontScope&) = delete;
    ApplicationFontScope& operator=(const ApplicationFontScope&) = delete;

private:
    QFont saved_;
};

// Shrinks the control's font in quarter points until its size hint fits the
// control's size, so a caption wider than designed is drawn whole, never cut
// or elided. A caption that fits keeps its font.
void FitCaption(QWidget& control);

}  // namespace ui
