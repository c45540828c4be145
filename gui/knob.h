// Rotary controls: the value maps to a 270-degree arc running clockwise from lower left (minimum)
// over the top to lower right (maximum). A press sets the value from the pointer's angle around
// the centre and follows the pointer until every button and modifier is up; Alt-click restores
// the default. The wheel steps the value when the knob knows its steps (setWheelSteps).
// FilmstripKnob draws one frame of a vertical film strip picked by the value.
#pragma once

#include "gui/bitmapref.h"
#include "gui/view.h"

#include <cstdint>

class Knob : public Control {
public:
    // Holds a reference to each bitmap given; the handle is drawn transparently at the value's
    // point, and its half width becomes the margin around the circle.
    Knob(const Rect& size, ControlListener* listener, int32_t tag, Bitmap* background,
         Bitmap* handle, Point offset);

    void draw(DrawContext* context) override;
    void mouse(DrawContext* context, Point& where) override;
    // Each notch moves the value one step up or down, a tenth of one with Shift, and tells the
    // listener as a drag does.
    void wheel(DrawContext* context, int32_t notches, int32_t modifiers) override;

    // The handle's top-left corner for the current value, relative to (left - inset, top - inset).
    virtual void valueToPoint(Point& point) const;
    // The value for a pointer position given relative to (left - inset, top - inset).
    virtual float pointToValue(Point point) const;
    virtual void setBackground(Bitmap* bitmap);
    virtual Bitmap* getBackground() const { return background.get(); }

    int32_t getInset() const { return inset; }
    // The range in `steps` equal steps, as a read-out that truncates counts them; 0 (the
    // default) leaves the wheel alone.
    void setWheelSteps(int32_t steps) { wheelSteps = steps; }

protected:
    // The circle's radius, measured from the width alone.
    float radius() const;
    // The value `notches` of `steps` steps away from the current one.
    float steppedValue(int32_t notches, int32_t steps) const;

    int32_t inset = 5;
    int32_t wheelSteps = 0;
    BitmapRef background;
    BitmapRef handle;
    Point offset;
};

class FilmstripKnob : public Knob {
public:
    // `strip` holds frameCount frames of frameHeight pixels, stacked from the minimum down.
    FilmstripKnob(const Rect& size, ControlListener* listener, int32_t tag, int32_t frameCount,
                  int32_t frameHeight, Bitmap* strip, Point offset);

    void draw(DrawContext* context) override;

    // The strip's row where the frame for the current value starts.
    int32_t frameTop() const;

private:
    int32_t frameCount;
    int32_t frameHeight;
};
