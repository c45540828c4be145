// Reads uncompressed Windows bitmap files: 24-bit, and 8-bit with a palette, stored bottom-up or
// top-down. Anything else, and any file whose headers do not fit its size, is refused.
#pragma once

#include "gui/render/surface.h"

#include <cstdint>
#include <optional>
#include <span>

std::optional<Surface> readBmp(std::span<const unsigned char> file);
