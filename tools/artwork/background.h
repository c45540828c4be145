// The panel picture (bitmap 200): title, group boxes and a label for every control.
#pragma once

#include "tools/common/rgbimage.h"

namespace artwork {

// Throws std::logic_error when a label or a box edge would lie under a control, so a layout
// change that hides text cannot slip into the committed bitmaps.
RgbImage drawBackground();

} // namespace artwork
