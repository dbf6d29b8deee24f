// SPDX-License-Identifier: GPL-3.0-or-later
// Writing an image as a PNG file, small: indexed colour where the image has
// at most 256 colours (as a drawing does), compressed with LZ77 and the
// fixed Huffman codes. Enough for icons; no library needed at build time.
#pragma once

#include <string>

#include "design/icon.h"

namespace web {

std::string EncodePng(const design::Image& image);

// Each pixel made a square of factor x factor pixels: larger, never blurred.
design::Image Enlarged(const design::Image& image, int factor);

}  // namespace web
