// The pixel rules of the drawing operations, on a Surface. Coordinates are pixel indices; a pixel
// (x, y) is the unit square from (x, y) to (x + 1, y + 1), its centre at (x + 0.5, y + 0.5).
#pragma once

#include "gui/geometry.h"
#include "gui/render/surface.h"

#include <cstdint>

namespace raster {

struct Pen {
    uint32_t colour = 0;
    int32_t width = 1;
    bool dotted = false;
};

// Where a dotted pen is in its pattern; carried from one segment of a path to the next.
struct DashPhase {
    int32_t position = 0;
};

// The pixels of the segment from `from` to `to`, `to` itself excluded. Along the major axis one
// pixel per step; the minor coordinate is the exact one rounded, halves toward `from`.
void line(Surface& surface, Point from, Point to, const Pen& pen, DashPhase& phase);

// The outline through the centres of the bounding pixels: columns left and right and rows top and
// bottom are touched. Only the part counter-clockwise from the ray through `start` to the ray
// through `end` is drawn; equal rays draw the whole ellipse.
void ellipseArc(Surface& surface, const Rect& bounds, Point start, Point end, const Pen& pen);

// Fills the pixels whose centres lie inside the ellipse inscribed in the box from (left, top) to
// (right, bottom) (corners of pixels, so the box covers left <= x < right).
void fillEllipse(Surface& surface, const Rect& box, uint32_t colour);

// As fillEllipse, restricted to the wedge counter-clockwise from the ray through `start` to the
// ray through `end` (pixel centres of the two points, measured from the box's centre).
void fillPie(Surface& surface, const Rect& box, Point start, Point end, uint32_t colour);

// Fills the pixels whose centres lie inside the polygon by the alternate (even-odd) rule.
void fillPolygon(Surface& surface, const Point* points, int32_t count, uint32_t colour);

} // namespace raster
