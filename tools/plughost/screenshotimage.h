// A window's picture as 8-bit RGB, and its PNG encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // rows top to bottom, red, green, blue per pixel
};

// The PNG file's bytes; throws HostError when libpng refuses.
std::string encodePng(const RgbImage& image);

} // namespace plughost
