// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a program's top-level window on the X display by its caption.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <string>
#include <thread>

namespace x11 {

inline std::string Caption(Display* display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string caption;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        caption.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return caption;
}

inline Window FindMapped(Display* display, Window parent, const std::string& caption, int depth) {
    Window root = 0, unused = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &unused, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (Caption(display, children[i]) == caption &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found = children[i];
        else if (depth > 0)
            found = FindMapped(display, children[i], caption, depth - 1);
    }
    if (children) XFree(children);
    return found;
}

// The mapped window with this caption, waiting for it up to `seconds`; 0
// when none appeared.
inline Window WaitForMapped(Display* display, const std::string& caption, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    Window window = 0;
    while (!(window = FindMapped(display, DefaultRootWindow(display), caption, 2))) {
        if (std::chrono::steady_clock::now() > deadline) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return window;
}

}  // namespace x11
