// Anything drawn in a frame, what a view may ask of whatever holds it, and the control base: a view
// with a value, a range, a default, a tag and a listener. Controls redraw when their value differs
// from the value they last drew.
#pragma once

#include "gui/geometry.h"

#include <cstdint>

class Control;
class DrawContext;
class PlatformWindow;
class View;

class ControlListener {
public:
    virtual void valueChanged(DrawContext* context, Control* control) = 0;
    // A press or a wheel turn holds the control between these two, around every change it makes:
    // one gesture, which a host can record as one touch of the parameter.
    virtual void beginEdit(Control*) {}
    virtual void endEdit(Control*) {}

protected:
    ~ControlListener() = default;
};

// What a view may ask of whatever holds it: the frame, or a stand-in where a view is tested alone.
class ViewHolder {
public:
    // Draws `view` at once.
    virtual void drawView(View* view) = 0;
    // The editor's and the host's throttled idle, for a control holding the thread in a drag.
    virtual void runEditorIdle() = 0;
    // The view whose platform edit box is open, or null.
    virtual View* getEditView() const = 0;
    virtual void setEditView(View* view) = 0;
    // The window that views open platform children in; null while none is open.
    virtual PlatformWindow* getPlatformWindow() const = 0;

protected:
    ~ViewHolder() = default;
};

class View {
public:
    explicit View(const Rect& size) : size(size) {}
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual void draw(DrawContext*) {}
    // A press at `where`, in the frame's coordinates (as the view's size), not the view's own;
    // the view may change it.
    virtual void mouse(DrawContext*, Point& /*where*/) {}
    // The wheel turned `notches` notches (up is positive) over the view, with `modifiers`
    // (MouseBits) held.
    virtual void wheel(DrawContext*, int32_t /*notches*/, int32_t /*modifiers*/) {}
    // Redraws the view if it changed.
    virtual void update(DrawContext*) {}
    // Closes an open input element and commits what it holds.
    virtual void loseFocus() {}
    virtual void takeFocus() {}

    // Draws the view at once, if something holds it.
    void redraw();

    const Rect& getSize() const { return size; }
    ViewHolder* getHolder() const { return holder; }
    void setHolder(ViewHolder* newHolder) { holder = newHolder; }

protected:
    Rect size;
    ViewHolder* holder = nullptr;
};

class Control : public View {
public:
    Control(const Rect& size, ControlListener* listener, int32_t tag)
        : View(size), listener(listener), tag(tag) {}

    void draw(DrawContext* context) override = 0;
    // Draws only when the value differs from the one last drawn.
    void update(DrawContext* context) override;

    // Lets the editor and the host idle (at most every 50 ms) during a drag loop, through the
    // holder.
    virtual void idleDuringTracking();

    // The setters only store: no clamping, no redraw, no notification.
    virtual void setValue(float newValue) { value = newValue; }
    virtual float getValue() const { return value; }
    virtual void setMin(float newMin) { min = newMin; }
    virtual float getMin() const { return min; }
    virtual void setMax(float newMax) { max = newMax; }
    virtual float getMax() const { return max; }
    virtual void setOldValue(float drawn) { oldValue = drawn; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float newDefault) { defaultValue = newDefault; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    virtual bool getMouseEnabled() const { return mouseEnabled; }

    int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }

protected:
    // Tells the listener, if there is one.
    void notifyListener(DrawContext* context);

    // Tells the listener, if there is one, that a gesture begins here and ends with the scope.
    class EditGesture {
    public:
        explicit EditGesture(Control& control);
        ~EditGesture();
        EditGesture(const EditGesture&) = delete;
        EditGesture& operator=(const EditGesture&) = delete;

    private:
        Control& control;
    };

    ControlListener* listener;
    int32_t tag;
    bool mouseEnabled = true;
    float oldValue = -1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float min = 0.0f;
    float max = 1.0f;
};
