// The knob film strips (bitmaps 202 to 204): 64 frames of 33 x 30, minimum at the top.
#pragma once

#include "editor/panellayout.h"
#include "tools/common/rgbimage.h"

namespace artwork {

// Frame i shows the pointer at i / 63 of a 270-degree sweep that runs clockwise from lower left
// over the top to lower right. Around the knob lies the group-box fill the panel has there.
RgbImage drawKnobStrip(panel::KnobStrip strip);

} // namespace artwork
