// SPDX-License-Identifier: GPL-3.0-or-later
// The real window on the X display as a user sees it: captures it while it
// is inactive and again once it has the input focus, and checks that every
// caption on a coloured face, and the output box's text, stands out from
// what it is drawn on by at least 4.5:1.
//   x11_caption_contrast CAPTION [--dark-boxes] [--save PREFIX]
// --dark-boxes  the boxes must be dark: proof that a dark theme was applied
// --save PREFIX also writes the captures to PREFIX-inactive.png and
//               PREFIX-active.png
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "design/design.h"
#include "tests/support/contrast.h"
#include "ui/colours.h"
#include "x11_windows.h"

using testing_support::kMinimumContrast;
using testing_support::Luminance;
using testing_support::MeasureText;

using ui::ToColor;

namespace {

QRect Geometry(const design::ControlDesign& d) {
    return {design::Pixels(d.left), design::Pixels(d.top), design::Pixels(d.width),
            design::Pixels(d.height)};
}

// The window's pixels as they are on the screen; a null image if the
// server's pixels are not plain 8-bit red, green and blue.
QImage Capture(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    XImage* x =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!x) return {};
    QImage image;
    if (x->red_mask == 0xff0000 && x->green_mask == 0xff00 && x->blue_mask == 0xff) {
        image = QImage(attributes.width, attributes.height, QImage::Format_RGB32);
        for (int y = 0; y < attributes.height; ++y)
            for (int col = 0; col < attributes.width; ++col)
                image.setPixel(col, y, 0xff000000 | (XGetPixel(x, col, y) & 0xffffff));
    }
    XDestroyImage(x);
    return image;
}

// A capture once the window has stopped changing and `ready` holds of it;
// a null image if that does not happen within ten seconds.
QImage Settled(Display* display, Window window, const std::function<bool(const QImage&)>& ready) {
    QImage last;
    for (int i = 0; i < 100; ++i) {
        const QImage now = Capture(display, window);
        if (!now.isNull() && now == last && ready(now)) return now;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

bool Hidden(const design::ControlDesign& d) {
    const std::string name = std::string(d.name) + '(' + std::to_string(d.index) + ')';
    return std::find(design::kHiddenAtStart.begin(), design::kHiddenAtStart.end(), name) !=
           design::kHiddenAtStart.end();
}

// Prints one line a text and returns whether every text reads.
bool Check(const QImage& image, const char* state, bool darkBoxes) {
    bool ok = image.size() ==
              QSize(design::Pixels(design::kClientWidth), design::Pixels(design::kClientHeight));
    if (!ok) std::printf("%s: the window is %dx%d\n", state, image.width(), image.height());
    for (const auto& d : design::kControls) {
        if (Hidden(d)) continue;
        QRect room = Geometry(d);
        if (d.kind == design::Kind::OptionButton)
            room.setLeft(room.left() + room.height());                      // indicator
        if (d.kind == design::Kind::PushButton) room.adjust(3, 2, -3, -2);  // edge
        if (d.kind == design::Kind::OutputBox) room.adjust(4, 4, -24, -4);  // frame, scroll bar
        if (!d.colour && d.kind != design::Kind::OutputBox) continue;       // empty input boxes
        if (d.kind == design::Kind::Note && d.caption.empty()) continue;    // the range line
        const auto text = MeasureText(image, room);
        bool good = text.contrast >= kMinimumContrast;
        if (d.colour) good = good && text.face == ToColor(*d.colour);
        if (!d.colour && darkBoxes) good = good && Luminance(text.face) < 0.2;
        std::printf("%s %.*s(%d): face %s, text contrast %.2f%s\n", state, int(d.name.size()),
                    d.name.data(), d.index, qPrintable(text.face.name()), text.contrast,
                    good ? "" : "  <-- FAILS");
        ok = ok && good;
    }
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CAPTION [--dark-boxes] [--save PREFIX]\n", argv[0]);
        return 2;
    }
    bool darkBoxes = false;
    const char* save = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dark-boxes") == 0)
            darkBoxes = true;
        else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc)
            save = argv[++i];
        else
            return std::fprintf(stderr, "unknown argument %s\n", argv[i]), 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return std::fprintf(stderr, "cannot open the X display\n"), 2;
    const Window window = x11::WaitForMapped(display, argv[1], 20);
    if (!window) return std::fprintf(stderr, "no mapped window captioned \"%s\"\n", argv[1]), 1;

    // Painted: the window's own colour shows between the controls.
    const QColor background = ToColor(design::kWindowColour);
    const QImage inactive = Settled(display, window, [&](const QImage& image) {
        return QColor(image.pixel(215, 40)) == background;
    });
    if (inactive.isNull()) return std::fprintf(stderr, "the window was never painted\n"), 1;
    // With no window manager, only the program's own request would give
    // it the focus; a window given it paints its focused box anew.
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    const QImage active =
        Settled(display, window, [&](const QImage& image) { return image != inactive; });
    if (active.isNull()) return std::fprintf(stderr, "the window did not become active\n"), 1;
    XCloseDisplay(display);

    if (save) {
        inactive.save(QString::fromLocal8Bit(save) + QStringLiteral("-inactive.png"));
        active.save(QString::fromLocal8Bit(save) + QStringLiteral("-active.png"));
    }
    const bool inactiveReads = Check(inactive, "inactive", darkBoxes);
    const bool ok = Check(active, "active", darkBoxes) && inactiveReads;
    std::puts(ok ? "every text reads" : "some text does not read");
    return ok ? 0 : 1;
}
