#include "gui/knob.h"

#include "gui/bitmap.h"
#include "gui/drawcontext.h"

#include <algorithm>
#include <cmath>

namespace {

// The arc: 3π/2 spread over the range, starting at 5π/4 (lower left).
constexpr double kArcSpan = 4.712389;
constexpr double kArcStart = 3.9269907;
constexpr double kHalfPi = 1.5707964;
constexpr double kPi = 3.1415927;
constexpr double kTwoPi = 6.2831855;
// The gap at the bottom, in fractions of a turn counter-clockwise from the right.
constexpr float kGapStart = 0.625f;
constexpr float kGapMiddle = 0.75f;
constexpr float kGapEnd = 0.875f;
// Shift divides a wheel step into this many.
constexpr int32_t kFineWheelDivisions = 10;

} // namespace

Knob::Knob(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* background,
           Bitmap* handle, Point offset)
    : Control(size, listener, tag), background(background), handle(handle), offset(offset) {
    if (handle != nullptr) {
        inset = handle->getWidth() / 2;
    }
}

void Knob::setBackground(Bitmap* bitmap) {
    background = BitmapRef(bitmap);
}

float Knob::radius() const {
    return static_cast<float>((size.width() - 2 * inset) / 2.0);
}

void Knob::valueToPoint(Point& point) const {
    const float range = max - min;
    // An empty range or a value that is not a number leaves the handle at the minimum.
    float alpha = range != 0.0f ? static_cast<float>(kArcSpan / range * (value - min)) : 0.0f;
    alpha = static_cast<float>(alpha + kArcStart);
    if (!std::isfinite(alpha)) {
        alpha = static_cast<float>(kArcStart);
    }
    const double r = radius();
    point.h = static_cast<int32_t>(std::sin(alpha) * r + r) + inset;
    point.v = static_cast<int32_t>(r - std::cos(alpha) * r) + inset;
}

float Knob::pointToValue(Point point) const {
    const float range = max - min;
    const float r = radius();
    const float x = static_cast<float>(point.h - inset) - r;
    const float y = r - static_cast<float>(point.v - inset);

    float alpha = 0.0f;
    if (y != 0.0f) {
        alpha = static_cast<float>(-std::atan(static_cast<double>(x / y)));
    } else if (x != 0.0f) {
        // Straight right or left of the centre: the arctangent of an infinite ratio.
        alpha = static_cast<float>(x > 0.0f ? -kHalfPi : kHalfPi);
    }
    alpha = static_cast<float>(alpha + kHalfPi);
    if (y < 0.0f) {
        alpha = static_cast<float>(alpha + kPi);
    }
    // The pointer's angle as a fraction of a turn, counter-clockwise from the right.
    alpha = static_cast<float>(alpha / kTwoPi);

    if (alpha > kGapStart && alpha < kGapEnd) {
        return alpha < kGapMiddle ? min : max;
    }
    float turned = alpha >= kGapEnd ? alpha - kGapEnd : alpha + (1.0f - kGapEnd);
    turned = static_cast<float>(turned * 1.3333334);
    float result = range - turned * range;
    result = result + min;
    return std::clamp(result, min, max);
}

void Knob::mouse(DrawContext* context, Point& where) {
    if (!mouseEnabled || context == nullptr) {
        return;
    }
    const EditGesture gesture(*this);
    if (context->getMouseButtons() == (ButtonLeft | ModAlt)) {
        value = getDefaultValue();
        if (value != oldValue) {
            notifyListener(context);
        }
        return;
    }
    // Polls until every button and modifier is up; the idle in between redraws the knob.
    do {
        where.h -= size.left - inset;
        where.v -= size.top - inset;
        value = pointToValue(where);
        if (value != oldValue) {
            notifyListener(context);
        }
        where = context->getMouseLocation();
        idleDuringTracking();
    } while (context->getMouseButtons() != 0);
}

void Knob::wheel(DrawContext* context, int32_t notches, int32_t modifiers) {
    if (!mouseEnabled || context == nullptr || wheelSteps <= 0 || !(max > min)) {
        return;
    }
    const EditGesture gesture(*this);
    const int32_t fine = (modifiers & ModShift) != 0 ? kFineWheelDivisions : 1;
    value = steppedValue(notches, wheelSteps * fine);
    if (value != oldValue) {
        notifyListener(context);
    }
}

// Counted as a truncating read-out counts: a value lies in the step it has reached. The new value
// lies in the middle of its step, so that the read-out shows that step whatever the rounding;
// step 0 is the minimum itself and the last step the maximum.
float Knob::steppedValue(int32_t notches, int32_t steps) const {
    const double range = static_cast<double>(max) - min;
    const double reached = std::floor((value - min) / range * steps);
    // fmax first: a value that is not a number counts as the minimum.
    const double step = std::fmin(std::fmax(reached + notches, 0.0), steps);
    if (step == 0.0) {
        return min;
    }
    if (step == steps) {
        return max;
    }
    return static_cast<float>(min + (step + 0.5) / steps * range);
}

void Knob::draw(DrawContext* context) {
    if (background) {
        background->draw(context, size, offset);
    }
    if (handle) {
        Point p;
        valueToPoint(p);
        p.h += size.left - inset;
        p.v += size.top - inset;
        handle->drawTransparent(
            context, {p.h, p.v, p.h + handle->getWidth(), p.v + handle->getHeight()}, {0, 0});
    }
    oldValue = value;
}

FilmstripKnob::FilmstripKnob(const Rect& size, ControlListener* listener, int32_t tag,
                             int32_t frameCount, int32_t frameHeight, Bitmap* strip, Point offset)
    : Knob(size, listener, tag, nullptr, strip, offset), frameCount(frameCount),
      frameHeight(frameHeight) {
    inset = 0;
}

int32_t FilmstripKnob::frameTop() const {
    const int32_t span = (frameCount - 1) * frameHeight;
    if (!(value > 0.0f) || frameHeight <= 0 || span <= 0) {
        return 0;
    }
    // Clamped before the conversion: a value far above 1 would not fit an integer.
    const float row = std::min(static_cast<float>(span) * value, static_cast<float>(span));
    const int32_t y = static_cast<int32_t>(row);
    return frameHeight * (y / frameHeight);
}

void FilmstripKnob::draw(DrawContext* context) {
    if (handle) {
        handle->draw(context, size, {0, frameTop()});
    }
    oldValue = value;
}
