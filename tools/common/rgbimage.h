// The tools' picture: 24-bit, one 0xRRGGBB value per pixel, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}

    uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline int redOf(uint32_t rgb) {
    return static_cast<int>((rgb >> 16) & 0xff);
}
inline int greenOf(uint32_t rgb) {
    return static_cast<int>((rgb >> 8) & 0xff);
}
inline int blueOf(uint32_t rgb) {
    return static_cast<int>(rgb & 0xff);
}
inline uint32_t packRgb(int red, int green, int blue) {
    return (static_cast<uint32_t>(red) << 16) | (static_cast<uint32_t>(green) << 8) |
           static_cast<uint32_t>(blue);
}
