#include "tools/common/png.h"

#include "tools/common/errors.h"
#include "tools/common/pendingoutput.h"

#include <png.h>

#include <vector>

namespace {

std::vector<uint8_t> rgbBytes(const RgbImage& image) {
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 3);
    for (const uint32_t pixel : image.pixels) {
        bytes.push_back(static_cast<uint8_t>(redOf(pixel)));
        bytes.push_back(static_cast<uint8_t>(greenOf(pixel)));
        bytes.push_back(static_cast<uint8_t>(blueOf(pixel)));
    }
    return bytes;
}

} // namespace

std::string encodePng(const RgbImage& image) {
    const std::vector<uint8_t> rgb = rgbBytes(image);
    png_image description{};
    description.version = PNG_IMAGE_VERSION;
    description.width = static_cast<png_uint_32>(image.width);
    description.height = static_cast<png_uint_32>(image.height);
    description.format = PNG_FORMAT_RGB;
    const auto stride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(description));
    // The first call measures, the second writes.
    png_alloc_size_t size = 0;
    std::string bytes;
    if (png_image_write_to_memory(&description, nullptr, &size, 0, rgb.data(), stride, nullptr) !=
        0) {
        bytes.resize(size);
        png_image_write_to_memory(&description, bytes.data(), &size, 0, rgb.data(), stride,
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

void writePng(const RgbImage& image, const std::string& path) {
    const std::string bytes = encodePng(image);
    writeOutputFile(path, bytes.data(), bytes.size());
}
