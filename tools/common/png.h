// PNG files of pictures: the tools' one encoder.
#pragma once

#include "tools/common/rgbimage.h"

#include <string>

// The 8-bit RGB PNG file's bytes; throws HostError when libpng refuses (an empty picture too).
std::string encodePng(const RgbImage& image);

// Writes the PNG through a PendingOutput: a failure leaves no half-written file. Throws
// HostError or UsageError as PendingOutput does.
void writePng(const RgbImage& image, const std::string& path);
