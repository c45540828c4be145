#include "tools/artwork/ledswitch.h"

#include "editor/panellayout.h"
#include "tools/artwork/cairoutil.h"
#include "tools/artwork/theme.h"

#include <cmath>

namespace artwork {

using namespace panel;

namespace {

constexpr double kCentre = kSwitchSize / 2.0;
constexpr double kBezelRadius = 5.2;
constexpr double kLensRadius = 3.7;

constexpr uint32_t kBezelLight = 0x5d636d;
constexpr uint32_t kBezelDark = 0x08090a;
constexpr uint32_t kOffRim = 0x2a1a08;
constexpr uint32_t kOffCore = 0x5a3a12;
constexpr uint32_t kLitCore = 0xfff6d8;
constexpr uint32_t kLitMid = 0xffbd3a;
constexpr uint32_t kLitRim = 0xd86a00;

void drawBezel(cairo_t* cr) {
    cairo_pattern_t* ring =
        cairo_pattern_create_linear(0, kCentre - kBezelRadius, 0, kCentre + kBezelRadius);
    addColourStop(ring, 0.0, kBezelDark);
    addColourStop(ring, 1.0, kBezelLight);
    fillCircle(cr, kCentre, kCentre, kBezelRadius, ring);
    cairo_arc(cr, kCentre, kCentre, kLensRadius + 0.7, 0, 2 * M_PI);
    setSource(cr, kBezelDark);
    cairo_fill(cr);
}

void drawLens(cairo_t* cr, uint32_t core, uint32_t middle, uint32_t rim) {
    cairo_pattern_t* lens = cairo_pattern_create_radial(kCentre - 0.8, kCentre - 0.8, 0.3, kCentre,
                                                        kCentre, kLensRadius);
    addColourStop(lens, 0.0, core);
    addColourStop(lens, 0.55, middle);
    addColourStop(lens, 1.0, rim);
    fillCircle(cr, kCentre, kCentre, kLensRadius, lens);
}

void drawHighlight(cairo_t* cr, double alpha) {
    cairo_arc(cr, kCentre - 1.3, kCentre - 1.4, 1.0, 0, 2 * M_PI);
    setSource(cr, 0xffffff, alpha);
    cairo_fill(cr);
}

void drawGlow(cairo_t* cr) {
    cairo_pattern_t* glow =
        cairo_pattern_create_radial(kCentre, kCentre, kLensRadius - 0.5, kCentre, kCentre, kCentre);
    addColourStop(glow, 0.0, kLitMid, 0.55);
    addColourStop(glow, 1.0, kLitMid, 0.0);
    fillCircle(cr, kCentre, kCentre, kCentre, glow);
}

void drawOff(cairo_t* cr) {
    drawBezel(cr);
    drawLens(cr, kOffCore, kOffRim, kOffRim);
    drawHighlight(cr, 0.25);
}

void drawLit(cairo_t* cr) {
    drawBezel(cr);
    drawGlow(cr);
    drawLens(cr, kLitCore, kLitMid, kLitRim);
    drawHighlight(cr, 0.6);
}

} // namespace

RgbImage drawSwitch() {
    Surface surface = makeSurface(kSwitchSize, 2 * kSwitchSize);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();
    setSource(cr, theme::kWell);
    cairo_paint(cr);
    drawOff(cr);
    cairo_translate(cr, 0, kSwitchSize);
    drawLit(cr);
    return toRgbImage(surface.get());
}

} // namespace artwork
