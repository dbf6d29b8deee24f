// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon as a PNG of the given size, scaled pixel for
// pixel from the one drawing: icon_export SIZE OUTPUT.png
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "ui/app_setup.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size <= 0 || !ui::IconImage(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
