// Owning handles and small helpers around cairo's C interface.
#pragma once

#include "tools/common/cairoimage.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>

namespace artwork {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// An opaque-black RGB24 surface; throws when cairo cannot make it.
Surface makeSurface(int width, int height);
Context makeContext(const Surface& surface);

void setSource(cairo_t* context, uint32_t rgb, double alpha = 1.0);
void addColourStop(cairo_pattern_t* pattern, double offset, uint32_t rgb, double alpha = 1.0);
// Fills the circle with the pattern, which it then releases.
void fillCircle(cairo_t* context, double centreX, double centreY, double radius,
                cairo_pattern_t* pattern);

// Bold sans at the given pixel size, hinted fully so that tiny labels stay crisp.
void selectLabelFont(cairo_t* context, double pixelSize, bool bold = true);

Surface toSurface(const RgbImage& image);

} // namespace artwork
