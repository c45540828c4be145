// The switch picture (bitmap 201): an 11 x 11 LED, dark in the upper half, lit in the lower.
#pragma once

#include "tools/common/rgbimage.h"

namespace artwork {

RgbImage drawSwitch();

} // namespace artwork
