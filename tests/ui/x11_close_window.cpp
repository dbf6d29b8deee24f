// SPDX-License-Identifier: GPL-3.0-or-later
// Waits for a top-level window with the given caption to be mapped on the X
// display, then asks it to close the way a window manager does
// (WM_DELETE_WINDOW). Exit 0 when the window was found and asked.
//   x11_close_window CAPTION [SECONDS]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string Caption(Display* display, Window window) {
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

Window FindMapped(Display* display, Window parent, const std::string& caption, int depth) {
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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CAPTION [SECONDS]\n", argv[0]);
        return 2;
    }
    const std::string caption = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    Window window = 0;
    while (!(window = FindMapped(display, DefaultRootWindow(display), caption, 2))) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "no mapped window captioned \"%s\"\n", caption.c_str());
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::printf("mapped: 0x%lx\n", window);

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
