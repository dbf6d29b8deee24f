// SPDX-License-Identifier: GPL-3.0-or-later
// What the application needs before its window: the icon and Qt's own texts
// in the user's language.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

class QCoreApplication;

namespace ui {

// The hamburger drawing, 32 x 32, with a transparent background.
QImage IconImage();

// The drawing at a whole size, scaled pixel for pixel so it stays sharp.
QImage IconImage(int size);

// The icon at 32, 48, 64 and 128 pixels, so high-density screens get a sharp
// one.
QIcon AppIcon();

// Loads Qt's own translations (context menus, dialog buttons) for the system
// locale from Qt's translations folder, or from `folder` when given. Returns
// false, changing nothing, when there are none: Qt's texts stay in English.
bool InstallQtTranslations(QCoreApplication& app, const QString& folder = {});

}  // namespace ui
