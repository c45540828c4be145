#include "tools/plughost/screenshotimage.h"

#include "tools/plughost/pluginhost.h"

#include <png.h>

namespace plughost {

std::string encodePng(const RgbImage& image) {
    png_image description{};
    description.version = PNG_IMAGE_VERSION;
    description.width = static_cast<png_uint_32>(image.width);
    description.height = static_cast<png_uint_32>(image.height);
    description.format = PNG_FORMAT_RGB;
    const auto stride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(description));
    // The first call measures, the second writes.
    png_alloc_size_t size = 0;
    std::string bytes;
    if (png_image_write_to_memory(&description, nullptr, &size, 0, image.pixels.data(), stride,
                                  nullptr) != 0) {
        bytes.resize(size);
        png_image_write_to_memory(&description, bytes.data(), &size, 0, image.pixels.data(), stride,
                                  nullptr);
    }
    if (PNG_IMAGE_FAILED(description)) {
        const std::string reason = description.message;
        png_image_free(&description);
        throw HostError("cannot encode the PNG: " + reason);
    }
    bytes.resize(size);
    return bytes;
}

} // namespace plughost
