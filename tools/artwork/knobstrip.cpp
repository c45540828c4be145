#include "tools/artwork/knobstrip.h"

#include "tools/artwork/cairoutil.h"
#include "tools/artwork/theme.h"

#include <cmath>

namespace artwork {

using namespace panel;

namespace {

constexpr double kSweepDegrees = 270.0;
// Cairo measures angles clockwise from three o'clock; the minimum sits at lower left.
constexpr double kMinimumAngle = 135.0 * M_PI / 180.0;
constexpr double kSweep = kSweepDegrees * M_PI / 180.0;

constexpr double kScaleRadius = 13.0;
constexpr double kScaleWidth = 2.2;
constexpr double kBodyRadius = 9.8;
constexpr double kCapRadius = 7.2;
constexpr double kPointerInner = 2.2;
constexpr double kPointerOuter = 8.6;
constexpr double kPointerWidth = 2.0;

constexpr uint32_t kGroove = 0x2e3238;
constexpr uint32_t kBodyLight = 0x737a85;
constexpr uint32_t kBodyDark = 0x1f2226;
constexpr uint32_t kCapLight = 0x50565f;
constexpr uint32_t kCapDark = 0x30343a;
constexpr uint32_t kPointer = 0xf6f7f8;

uint32_t accentOf(KnobStrip strip) {
    switch (strip) {
    case KnobStrip::Frequency:
        return theme::kAccentFrequency;
    case KnobStrip::ResonanceGain:
        return theme::kAccentResonanceGain;
    case KnobStrip::Smoothness:
        return theme::kAccentSmoothness;
    }
    return theme::kAccentFrequency;
}

void drawScale(cairo_t* cr, uint32_t accent, double angle) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, kScaleWidth);
    cairo_arc(cr, kKnobCentreX, kKnobCentreY, kScaleRadius, kMinimumAngle, kMinimumAngle + kSweep);
    setSource(cr, kGroove);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_arc(cr, kKnobCentreX, kKnobCentreY, kScaleRadius, kMinimumAngle, angle);
    setSource(cr, accent);
    cairo_stroke(cr);
}

void drawBody(cairo_t* cr) {
    cairo_arc(cr, kKnobCentreX, kKnobCentreY + 1.2, kBodyRadius + 0.6, 0, 2 * M_PI);
    setSource(cr, 0x000000, 0.55);
    cairo_fill(cr);

    const double r = kBodyRadius;
    cairo_pattern_t* body = cairo_pattern_create_linear(kKnobCentreX - r, kKnobCentreY - r,
                                                        kKnobCentreX + r * 0.6, kKnobCentreY + r);
    addColourStop(body, 0.0, kBodyLight);
    addColourStop(body, 1.0, kBodyDark);
    fillCircle(cr, kKnobCentreX, kKnobCentreY, r, body);

    cairo_pattern_t* cap = cairo_pattern_create_radial(kKnobCentreX - 2.5, kKnobCentreY - 3.0, 0.5,
                                                       kKnobCentreX, kKnobCentreY, kCapRadius);
    addColourStop(cap, 0.0, kCapLight);
    addColourStop(cap, 1.0, kCapDark);
    fillCircle(cr, kKnobCentreX, kKnobCentreY, kCapRadius, cap);
}

void drawPointer(cairo_t* cr, uint32_t accent, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, kPointerWidth);
    cairo_move_to(cr, kKnobCentreX + c * kPointerInner, kKnobCentreY + s * kPointerInner);
    cairo_line_to(cr, kKnobCentreX + c * kPointerOuter, kKnobCentreY + s * kPointerOuter);
    setSource(cr, kPointer);
    cairo_stroke(cr);
    cairo_arc(cr, kKnobCentreX + c * kPointerOuter, kKnobCentreY + s * kPointerOuter, 0.9, 0,
              2 * M_PI);
    setSource(cr, accent, 0.8);
    cairo_fill(cr);
}

void drawFrame(cairo_t* cr, uint32_t accent, double fraction) {
    setSource(cr, theme::kWell);
    cairo_paint(cr);
    const double angle = kMinimumAngle + kSweep * fraction;
    drawScale(cr, accent, angle);
    drawBody(cr);
    drawPointer(cr, accent, angle);
}

} // namespace

RgbImage drawKnobStrip(KnobStrip strip) {
    Surface surface = makeSurface(kKnobFrameWidth, kKnobFrameHeight * kKnobFrameCount);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();
    for (int frame = 0; frame < kKnobFrameCount; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * kKnobFrameHeight);
        cairo_rectangle(cr, 0, 0, kKnobFrameWidth, kKnobFrameHeight);
        cairo_clip(cr);
        drawFrame(cr, accentOf(strip), static_cast<double>(frame) / (kKnobFrameCount - 1));
        cairo_restore(cr);
    }
    return toRgbImage(surface.get());
}

} // namespace artwork
