// A block of 32-bit pixels (0x00RRGGBB) that remembers which area was changed since it was
// last presented.
#pragma once

#include "gui/geometry.h"

#include <cstdint>
#include <vector>

inline constexpr uint32_t toPixel(Colour c) {
    return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
}

inline constexpr Colour toColour(uint32_t pixel) {
    return Colour{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                  static_cast<uint8_t>(pixel), 0};
}

class Surface {
public:
    Surface() = default;
    Surface(int32_t width, int32_t height, uint32_t fill = 0);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool inside(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    uint32_t* data() { return pixels.data(); }
    const uint32_t* data() const { return pixels.data(); }

    // 0 outside the surface.
    uint32_t pixel(int32_t x, int32_t y) const;
    // Writes outside the surface are dropped.
    void setPixel(int32_t x, int32_t y, uint32_t value);
    // The pixels x0 <= x < x1 of row y, clipped to the surface.
    void fillSpan(int32_t x0, int32_t x1, int32_t y, uint32_t value);
    // The pixels left <= x < right, top <= y < bottom, clipped to the surface.
    void fillBlock(const Rect& area, uint32_t value);
    // Marks left <= x < right, top <= y < bottom as changed (clipped).
    void markChanged(const Rect& area);

    bool hasChanges() const { return changed.right > changed.left; }
    // The changed area, then forgets it.
    Rect takeChanges();

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels;
    Rect changed;
};

// Copies the target.width x target.height block at `origin` in `source` to target's top-left
// corner on `destination`, as far as it lies in both surfaces. Where `transparent` is given, source
// pixels whose entry is set are skipped.
void copyBlock(const Surface& source, Point origin, Surface& destination, const Rect& target,
               const std::vector<bool>* transparent = nullptr);
