// SPDX-License-Identifier: GPL-3.0-or-later
// Waits for a top-level window with the given caption to be mapped on the X
// display, then asks it to close the way a window manager does
// (WM_DELETE_WINDOW). Exit 0 when the window was found and asked.
//   x11_close_window CAPTION [SECONDS]
#include <cstdio>
#include <cstdlib>

#include "x11_windows.h"

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
    const Window window = x11::WaitForMapped(display, caption, seconds);
    if (!window) {
        std::fprintf(stderr, "no mapped window captioned \"%s\"\n", caption.c_str());
        return 1;
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
