// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start, as main does it, ending at the first frame.
#include <QApplication>

#include "first_frame.h"
#include "ui/app_setup.h"
#include "ui/orlaven.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::InstallQtTranslations(app);
    QApplication::setWindowIcon(ui::AppIcon());
    ui::Orlaven window;
    QuitAfterFirstFrame(window);
    window.show();
    return QApplication::exec();
}
