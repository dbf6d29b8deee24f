// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/colours.h"

namespace ui {

QPalette FacePalette(QPalette palette, const QColor& face) {
    const QColor caption = ToColor(design::kCaptionColour);
    // setColor without a group sets all three groups.
    for (auto role : {QPalette::Window, QPalette::Button}) palette.setColor(role, face);
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, caption);
    palette.setColor(QPalette::Base, Qt::white);
    return palette;
}

}  // namespace ui
