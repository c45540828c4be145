#include "gui/togglebutton.h"

#include "gui/bitmap.h"

#include <cmath>

ToggleButton::ToggleButton(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* bitmap)
    : Control(size, listener, tag), bitmap(bitmap) {}

void ToggleButton::draw(DrawContext* context) {
    if (bitmap) {
        const int32_t top = value != 0.0f ? bitmap->getHeight() / 2 : 0;
        bitmap->draw(context, size, {0, top});
    }
    oldValue = value;
}

void ToggleButton::mouse(DrawContext* context, Point&) {
    if (!mouseEnabled) {
        return;
    }
    // Truncation toward zero, done in float so that no value is out of an integer's range.
    value = std::trunc(value) == 0.0f ? 1.0f : 0.0f;
    draw(context);
    notifyListener(context);
}
