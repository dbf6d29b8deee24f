// SPDX-License-Identifier: GPL-3.0-or-later
// The colours a control with a designed face paints with, whatever the
// desktop's theme or style.
#pragma once

#include <QColor>
#include <QPalette>

#include "design/design.h"

namespace ui {

// A colour of the design as Qt's.
inline QColor ToColor(const design::Rgb& c) { return QColor(c.red, c.green, c.blue); }

// `palette` with the designed face and the designed caption colour in every
// colour group (active, inactive, disabled) and in every role a style may
// fill a face with (Window, Button) or write a caption in (WindowText,
// ButtonText, Text). A theme's light or greyed text would vanish on these
// light faces. Base is white: an option's indicator is drawn in Base with
// a Text mark, and a dark theme's Base would hide the black mark.
QPalette FacePalette(QPalette palette, const QColor& face);

}  // namespace ui
