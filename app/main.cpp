// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLocale>
#include <cstdio>

#include "ui/app_setup.h"
#include "ui/orlaven.h"

namespace {

QtMessageHandler qtMessageHandler = nullptr;

// Started outside a login session (su, ssh, a chroot), Qt says it has no
// per-user runtime folder and takes one under /tmp. The program keeps nothing
// there, so the line would only look like a fault. Everything else Qt says
// still shows, a runtime folder with the wrong owner or permissions too.
void HideRuntimeFolderFallback(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set,"))) {
        return;
    }
    qtMessageHandler(type, context, message);
}

// Without a display Qt cannot start its default platform and aborts the
// process. Say so plainly and end with an error status instead.
bool NoDisplay() {
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (NoDisplay()) {
        std::fputs(QLocale::system().language() == QLocale::Bulgarian
                       ? "teglomer: няма дисплей, на който да се отвори прозорецът "
                         "(не е зададен нито DISPLAY, нито WAYLAND_DISPLAY).\n"
                       : "teglomer: no display to open the window on "
                         "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n",
                   stderr);
        return 1;
    }
    qtMessageHandler = qInstallMessageHandler(HideRuntimeFolderFallback);
    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TEGLOMER_APP_ID));
    ui::InstallQtTranslations(app);
    QApplication::setWindowIcon(ui::AppIcon());
    ui::Orlaven window;
    window.show();
    return QApplication::exec();
}
