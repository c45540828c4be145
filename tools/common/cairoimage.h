// The pixels of a cairo RGB24 image surface as the tools' picture.
#pragma once

#include "tools/common/rgbimage.h"

#include <cairo.h>

RgbImage toRgbImage(cairo_surface_t* surface);
