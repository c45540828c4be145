// A two-state switch: the bitmap holds the off state above the on state. Any press flips the
// value between 0 and 1, redraws at once and then tells the listener.
#pragma once

#include "gui/bitmapref.h"
#include "gui/view.h"

#include <cstdint>

class ToggleButton : public Control {
public:
    // Holds a reference to the bitmap, which may be null (nothing drawn, presses still toggle).
    ToggleButton(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* bitmap);

    // Any non-zero value shows the lower (on) half.
    void draw(DrawContext* context) override;
    // Left or right button, with or without modifiers: a value whose integer part is 0 becomes
    // 1, any other becomes 0.
    void mouse(DrawContext* context, Point& where) override;

private:
    BitmapRef bitmap;
};
