// SPDX-License-Identifier: GPL-3.0-or-later
#include "first_frame.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// A round trip to the X server: everything sent before it, the frame
// included, has been processed when it returns.
void SyncWithDisplayServer() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;  // offscreen: nothing to send
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class FirstFrame : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs once this paint pass, and the flush that ends it, is done.
            QTimer::singleShot(0, [] {
                SyncWithDisplayServer();
                std::fputs("frame\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

}  // namespace

void QuitAfterFirstFrame(QWidget& window) { window.installEventFilter(new FirstFrame(&window)); }
