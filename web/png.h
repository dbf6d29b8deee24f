// SPDX-License-Identifier: GPL-3.0-or-later
// The icon as PNG files, written by Debian's stb_image_write (compiled in
// png.cpp alone).
#pragma once

#include <string>

#include "design/icon.h"

namespace web {

// Each pixel made a square of factor x factor pixels: larger, never blurred.
design::Image Enlarged(const design::Image& image, int factor);

// Empty when the image cannot be written.
std::string EncodePng(const design::Image& image);

}  // namespace web
