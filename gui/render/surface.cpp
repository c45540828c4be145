#include "gui/render/surface.h"

#include <algorithm>

Surface::Surface(int32_t width, int32_t height, uint32_t fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

uint32_t Surface::pixel(int32_t x, int32_t y) const {
    return inside(x, y) ? pixels[static_cast<size_t>(y) * width_ + x] : 0;
}

void Surface::setPixel(int32_t x, int32_t y, uint32_t value) {
    if (!inside(x, y)) {
        return;
    }
    pixels[static_cast<size_t>(y) * width_ + x] = value;
    markChanged({x, y, x + 1, y + 1});
}

void Surface::fillSpan(int32_t x0, int32_t x1, int32_t y, uint32_t value) {
    fillBlock({x0, y, x1, y + 1}, value);
}

void Surface::fillBlock(const Rect& area, uint32_t value) {
    const int32_t left = std::max(area.left, 0);
    const int32_t right = std::min(area.right, width_);
    const int32_t top = std::max(area.top, 0);
    const int32_t bottom = std::min(area.bottom, height_);
    if (left >= right || top >= bottom) {
        return;
    }
    for (int32_t y = top; y < bottom; ++y) {
        uint32_t* row = pixels.data() + static_cast<size_t>(y) * width_;
        std::fill(row + left, row + right, value);
    }
    markChanged({left, top, right, bottom});
}

void Surface::markChanged(const Rect& area) {
    const Rect clipped{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width_),
                       std::min(area.bottom, height_)};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) {
        return;
    }
    if (!hasChanges()) {
        changed = clipped;
        return;
    }
    changed = {std::min(changed.left, clipped.left), std::min(changed.top, clipped.top),
               std::max(changed.right, clipped.right), std::max(changed.bottom, clipped.bottom)};
}

Rect Surface::takeChanges() {
    const Rect area = changed;
    changed = {};
    return area;
}

void copyBlock(const Surface& source, Point origin, Surface& destination, const Rect& target,
               const std::vector<bool>* transparent) {
    // 64-bit bounds: offsets and rectangles may lie anywhere.
    const int64_t firstRow = std::max<int64_t>({0, -int64_t{origin.v}, -int64_t{target.top}});
    const int64_t lastRow = std::min<int64_t>({target.height(), source.height() - int64_t{origin.v},
                                               destination.height() - int64_t{target.top}});
    const int64_t firstColumn = std::max<int64_t>({0, -int64_t{origin.h}, -int64_t{target.left}});
    const int64_t lastColumn =
        std::min<int64_t>({target.width(), source.width() - int64_t{origin.h},
                           destination.width() - int64_t{target.left}});
    if (firstRow >= lastRow || firstColumn >= lastColumn) {
        return;
    }
    for (int64_t y = firstRow; y < lastRow; ++y) {
        const int64_t from = (origin.v + y) * source.width() + origin.h;
        uint32_t* to = destination.data() +
                       static_cast<size_t>((target.top + y) * destination.width() + target.left);
        for (int64_t x = firstColumn; x < lastColumn; ++x) {
            const auto index = static_cast<size_t>(from + x);
            if (transparent == nullptr || !(*transparent)[index]) {
                to[x] = source.data()[index];
            }
        }
    }
    destination.markChanged({static_cast<int32_t>(target.left + firstColumn),
                             static_cast<int32_t>(target.top + firstRow),
                             static_cast<int32_t>(target.left + lastColumn),
                             static_cast<int32_t>(target.top + lastRow)});
}
