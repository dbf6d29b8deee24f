// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "ui/app_setup.h"
#include "ui/orlaven.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TEGLOMER_APP_ID));
    ui::InstallQtTranslations(app);
    QApplication::setWindowIcon(ui::AppIcon());
    ui::Orlaven window;
    window.show();
    return QApplication::exec();
}
