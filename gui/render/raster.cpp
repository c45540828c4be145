#include "gui/render/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace raster {
namespace {

// A dotted pen paints three pixels and skips three.
constexpr int32_t kDashOn = 3;
constexpr int32_t kDashPeriod = 6;
// Pens wider than this are drawn this wide; ellipses larger than this are not drawn.
constexpr int32_t kMaxPenWidth = 256;
constexpr int64_t kMaxEllipseExtent = 1 << 15;

int32_t penWidth(const Pen& pen) {
    return std::clamp(pen.width, 1, kMaxPenWidth);
}

bool dashVisible(const Pen& pen, int64_t position) {
    return !pen.dotted || penWidth(pen) > 1 || position % kDashPeriod < kDashOn;
}

void stamp(Surface& surface, int64_t x, int64_t y, const Pen& pen) {
    const int32_t width = penWidth(pen);
    if (width == 1) {
        if (x >= 0 && y >= 0 && x < surface.width() && y < surface.height()) {
            surface.setPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), pen.colour);
        }
        return;
    }
    const int64_t left = x - (width - 1) / 2;
    const int64_t top = y - (width - 1) / 2;
    if (left >= surface.width() || top >= surface.height() || left + width <= 0 ||
        top + width <= 0) {
        return;
    }
    surface.fillBlock({static_cast<int32_t>(left), static_cast<int32_t>(top),
                       static_cast<int32_t>(left + width), static_cast<int32_t>(top + width)},
                      pen.colour);
}

// The steps i of a run from `start` in direction `step` (+1 or -1) that land within
// [-pad, extent + pad), limited to [0, count).
void visibleSteps(int64_t start, int64_t step, int64_t extent, int64_t pad, int64_t count,
                  int64_t& first, int64_t& last) {
    if (step > 0) {
        first = std::max<int64_t>(0, -pad - start);
        last = std::min<int64_t>(count, extent + pad - start);
    } else {
        first = std::max<int64_t>(0, start - (extent + pad) + 1);
        last = std::min<int64_t>(count, start + pad + 1);
    }
}

// Twice a vector from the ellipse's centre, with y pointing up so that counter-clockwise is
// counter-clockwise on the screen.
struct Vec {
    int64_t x;
    int64_t y;
};

int64_t cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}

Vec nonZero(Vec v) {
    return v.x == 0 && v.y == 0 ? Vec{1, 0} : v;
}

// Whether v lies in the counter-clockwise sweep from ray s to ray e (both rays included).
class Sweep {
public:
    Sweep(Vec start, Vec end) : s(nonZero(start)), e(nonZero(end)) {
        full = cross(s, e) == 0 && s.x * e.x + s.y * e.y > 0;
        narrow = cross(s, e) > 0;
    }
    bool contains(Vec v) const {
        if (full) {
            return true;
        }
        if (narrow) {
            return cross(s, v) >= 0 && cross(v, e) >= 0;
        }
        return !(cross(e, v) > 0 && cross(v, s) > 0);
    }
    double angleFromStart(Vec v) const {
        double angle = std::atan2(static_cast<double>(v.y), static_cast<double>(v.x)) -
                       std::atan2(static_cast<double>(s.y), static_cast<double>(s.x));
        return angle < 0.0 ? angle + 2.0 * std::numbers::pi : angle;
    }

private:
    Vec s;
    Vec e;
    bool full;
    bool narrow;
};

Rect normalised(const Rect& r) {
    return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
}

bool tooLarge(const Rect& r) {
    return int64_t{r.right} - r.left > kMaxEllipseExtent ||
           int64_t{r.bottom} - r.top > kMaxEllipseExtent;
}

// The thin, 8-connected outline of the ellipse through the centres of the pixels of the box's
// border (integer-only midpoint stepping over all four quadrants at once).
std::vector<Point> ellipseOutline(const Rect& box) {
    std::vector<Point> points;
    int64_t x0 = box.left;
    int64_t x1 = box.right;
    int64_t a = x1 - x0;
    const int64_t b = int64_t{box.bottom} - box.top;
    int64_t b1 = b & 1;
    int64_t dx = 4 * (1 - a) * b * b;
    int64_t dy = 4 * (b1 + 1) * a * a;
    int64_t err = dx + dy + b1 * a * a;
    int64_t y0 = box.top + (b + 1) / 2;
    int64_t y1 = y0 - b1;
    a = 8 * a * a;
    b1 = 8 * b * b;
    auto plot = [&points](int64_t x, int64_t y) {
        points.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
    };
    do {
        plot(x1, y0);
        plot(x0, y0);
        plot(x0, y1);
        plot(x1, y1);
        const int64_t e2 = 2 * err;
        if (e2 <= dy) {
            ++y0;
            --y1;
            err += dy += a;
        }
        if (e2 >= dx || 2 * err > dy) {
            ++x0;
            --x1;
            err += dx += b1;
        }
    } while (x0 <= x1);
    // A very flat ellipse stops early: finish its tips.
    while (y0 - y1 <= b) {
        plot(x0 - 1, y0);
        plot(x1 + 1, y0++);
        plot(x0 - 1, y1);
        plot(x1 + 1, y1--);
    }
    std::sort(points.begin(), points.end(),
              [](Point p, Point q) { return p.v != q.v ? p.v < q.v : p.h < q.h; });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

// Doubled vector from the centre of `box` (pixel-centre coordinates doubled) to the point.
Vec fromCentre(const Rect& centreBox, int64_t doubledX, int64_t doubledY) {
    return {doubledX - (int64_t{centreBox.left} + centreBox.right),
            (int64_t{centreBox.top} + centreBox.bottom) - doubledY};
}

void fillEllipseWhere(Surface& surface, const Rect& box, uint32_t colour, const Sweep* sweep) {
    const Rect r = normalised(box);
    if (r.right <= r.left || r.bottom <= r.top || tooLarge(r)) {
        return;
    }
    const int64_t w = int64_t{r.right} - r.left;
    const int64_t h = int64_t{r.bottom} - r.top;
    const int32_t top = std::max(r.top, 0);
    const int32_t bottom = std::min(r.bottom, surface.height());
    const int32_t left = std::max(r.left, 0);
    const int32_t right = std::min(r.right, surface.width());
    // The same centre as the outline of (left - 1, top - 1, right, bottom), so pies and arcs
    // measure their rays alike.
    const Rect centreBox{r.left - 1, r.top - 1, r.right, r.bottom};
    for (int32_t y = top; y < bottom; ++y) {
        const int64_t dy = 2 * int64_t{y} + 1 - r.top - int64_t{r.bottom};
        for (int32_t x = left; x < right; ++x) {
            const int64_t dx = 2 * int64_t{x} + 1 - r.left - int64_t{r.right};
            if (dx * dx * h * h + dy * dy * w * w > w * w * h * h) {
                continue;
            }
            if (sweep != nullptr &&
                !sweep->contains(fromCentre(centreBox, 2 * int64_t{x}, 2 * int64_t{y}))) {
                continue;
            }
            surface.setPixel(x, y, colour);
        }
    }
}

} // namespace

void line(Surface& surface, Point from, Point to, const Pen& pen, DashPhase& phase) {
    const int64_t dx = int64_t{to.h} - from.h;
    const int64_t dy = int64_t{to.v} - from.v;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t count = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minorLength = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorStart = xMajor ? from.h : from.v;
    const int64_t minorStart = xMajor ? from.v : from.h;
    const int64_t extent = xMajor ? surface.width() : surface.height();
    int64_t first = 0;
    int64_t last = 0;
    visibleSteps(majorStart, majorStep, extent, penWidth(pen), count, first, last);
    for (int64_t i = first; i < last; ++i) {
        if (!dashVisible(pen, phase.position + i)) {
            continue;
        }
        const int64_t minor = (2 * i * minorLength + count - 1) / (2 * count);
        const int64_t major = majorStart + majorStep * i;
        const int64_t other = minorStart + minorStep * minor;
        stamp(surface, xMajor ? major : other, xMajor ? other : major, pen);
    }
    phase.position = static_cast<int32_t>((phase.position + count) % kDashPeriod);
}

void ellipseArc(Surface& surface, const Rect& bounds, Point start, Point end, const Pen& pen) {
    const Rect box = normalised(bounds);
    if (tooLarge(box)) {
        return;
    }
    const Sweep sweep(fromCentre(box, 2 * int64_t{start.h}, 2 * int64_t{start.v}),
                      fromCentre(box, 2 * int64_t{end.h}, 2 * int64_t{end.v}));
    std::vector<Point> points = ellipseOutline(box);
    std::erase_if(points, [&](Point p) {
        return !sweep.contains(fromCentre(box, 2 * int64_t{p.h}, 2 * int64_t{p.v}));
    });
    if (pen.dotted) {
        // The pattern runs along the curve, so walk it in order.
        std::stable_sort(points.begin(), points.end(), [&](Point p, Point q) {
            return sweep.angleFromStart(fromCentre(box, 2 * int64_t{p.h}, 2 * int64_t{p.v})) <
                   sweep.angleFromStart(fromCentre(box, 2 * int64_t{q.h}, 2 * int64_t{q.v}));
        });
    }
    for (size_t i = 0; i < points.size(); ++i) {
        if (dashVisible(pen, static_cast<int64_t>(i))) {
            stamp(surface, points[i].h, points[i].v, pen);
        }
    }
}

void fillEllipse(Surface& surface, const Rect& box, uint32_t colour) {
    fillEllipseWhere(surface, box, colour, nullptr);
}

void fillPie(Surface& surface, const Rect& box, Point start, Point end, uint32_t colour) {
    const Rect r = normalised(box);
    const Rect centreBox{r.left - 1, r.top - 1, r.right, r.bottom};
    const Sweep sweep(fromCentre(centreBox, 2 * int64_t{start.h}, 2 * int64_t{start.v}),
                      fromCentre(centreBox, 2 * int64_t{end.h}, 2 * int64_t{end.v}));
    fillEllipseWhere(surface, box, colour, &sweep);
}

void fillPolygon(Surface& surface, const Point* points, int32_t count, uint32_t colour) {
    if (points == nullptr || count < 3) {
        return;
    }
    int32_t top = points[0].v;
    int32_t bottom = points[0].v;
    for (int32_t i = 1; i < count; ++i) {
        top = std::min(top, points[i].v);
        bottom = std::max(bottom, points[i].v);
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, surface.height());
    std::vector<double> crossings;
    for (int32_t y = top; y < bottom; ++y) {
        const double centre = y + 0.5;
        crossings.clear();
        for (int32_t i = 0; i < count; ++i) {
            const Point a = points[i];
            const Point b = points[(i + 1) % count];
            const double ya = a.v;
            const double yb = b.v;
            if ((ya <= centre && centre < yb) || (yb <= centre && centre < ya)) {
                crossings.push_back(a.h +
                                    (centre - ya) * (static_cast<double>(b.h) - a.h) / (yb - ya));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const double from = std::ceil(crossings[i] - 0.5);
            const double to = std::ceil(crossings[i + 1] - 0.5);
            const double left = std::max(from, 0.0);
            const double right = std::min(to, static_cast<double>(surface.width()));
            if (left < right) {
                surface.fillSpan(static_cast<int32_t>(left), static_cast<int32_t>(right), y,
                                 colour);
            }
        }
    }
}

} // namespace raster
