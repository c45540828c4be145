// The panel picture (bitmap 200): title, group boxes and a label for every control.
#pragma once

#include "tools/artwork/panellayout.h"
#include "tools/artwork/rgbimage.h"

#include <string>
#include <vector>

namespace artwork {

struct PlacedLabel {
    std::string text;
    PixelRect ink; // pixels the glyphs touch, edges included
};

struct Background {
    RgbImage image;
    std::vector<PlacedLabel> labels;
};

// Throws std::logic_error when a label or a box edge would lie under a control, so a layout
// change that hides text cannot slip into the committed bitmaps.
Background drawBackground();

} // namespace artwork
