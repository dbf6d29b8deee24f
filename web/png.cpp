// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/png.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace web {

design::Image Enlarged(const design::Image& image, int factor) {
    design::Image out{image.width * factor, image.height * factor, {}};
    out.pixels.reserve(std::size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(image.At(x / factor, y / factor));
    return out;
}

std::string EncodePng(const design::Image& image) {
    static_assert(sizeof(design::Rgba) == 4, "pixels are handed over as RGBA bytes");
    std::string png;
    const auto append = [](void* out, void* data, int size) {
        static_cast<std::string*>(out)->append(static_cast<const char*>(data), std::size_t(size));
    };
    stbi_write_png_compression_level = 9;
    if (!stbi_write_png_to_func(append, &png, image.width, image.height, 4, image.pixels.data(),
                                image.width * 4))
        return {};
    return png;
}

}  // namespace web
