// Writes uncompressed bottom-up BMP files (BITMAPINFOHEADER), the form the plug-in embeds.
#pragma once

#include "tools/artwork/palettequantiser.h"
#include "tools/common/rgbimage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

std::vector<uint8_t> encodeBmp24(const RgbImage& image);
// Always writes a full 256-entry palette; unused entries are black.
std::vector<uint8_t> encodeBmp8(const IndexedImage& image);

} // namespace artwork
