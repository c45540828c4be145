#include "tools/common/cairoimage.h"

#include <cstddef>

RgbImage toRgbImage(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    RgbImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.height; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            image.at(x, y) = row[x] & 0xffffff;
        }
    }
    return image;
}
