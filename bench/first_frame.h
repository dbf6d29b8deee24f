// SPDX-License-Identifier: GPL-3.0-or-later
// Ends a start-up benchmark program at its first frame: once the window has
// painted and the frame has reached the display server, writes one line to
// standard output and quits.
#pragma once

#include <QWidget>

void QuitAfterFirstFrame(QWidget& window);
