// Saves a surface as an 8-bit RGB PNG file.
#pragma once

#include "gui/surface.h"

#include <string>

// Writes beside `path` first and renames on success, so a failure leaves no half-written file.
bool writePng(const Surface& surface, const std::string& path);
