// Reduces a 24-bit picture to a 256-colour palette for the 8-bit bitmaps.
#pragma once

#include "tools/common/rgbimage.h"

#include <cstdint>
#include <vector>

namespace artwork {

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette; // at most 256 entries, 0xRRGGBB
    std::vector<uint8_t> indices;  // rows top to bottom
};

// A picture with at most 256 colours keeps them all exactly. Otherwise the colours are split by
// median cut on squared error and refined by a few k-means passes; the colours in `exact` stay
// unchanged in the palette, so that flat areas drawn in them match the 24-bit panel precisely.
// Deterministic: the same picture always gives the same palette and indices.
IndexedImage quantise(const RgbImage& image, const std::vector<uint32_t>& exact);

// The picture as the plug-in will show it.
RgbImage expand(const IndexedImage& image);

} // namespace artwork
