// A platform without a display: windows are plain surfaces, and tests set the mouse state, the
// clock, and queue the events that the next processEvents delivers. Positions that tests give
// (pointer, presses) are in the window's pixels, enlarged by its scale as on a screen.
#pragma once

#include "gui/platform/pixelscale.h"
#include "gui/platform/platform.h"

#include <deque>
#include <vector>

class HeadlessWindow : public PlatformWindow {
public:
    HeadlessWindow(int32_t width, int32_t height, WindowEvents& events, int32_t factor = 1);

    Surface& surface() override { return pixels; }
    void present() override;
    void processEvents() override;
    int32_t mouseButtons() override { return withdrawn ? 0 : buttons; }
    Point mouseLocation() override { return scale.down(location); }
    void* nativeHandle() override { return this; }
    // A HeadlessEditBox, which tests find through HeadlessEditBox::current().
    std::unique_ptr<EditBox> openEditBox(const EditBoxLayout& layout, const std::string& text,
                                         EditBoxEvents& events) override;
    void withdraw() override;
    bool isWithdrawn() const { return withdrawn; }

    void setMouseButtons(int32_t bits) { buttons = bits; }
    void setMouseLocation(Point where) { location = where; }
    void queueExpose();
    void queuePress(Point where);
    void queueWheel(Point where, int32_t notches, int32_t modifiers = 0);
    void queueDestroy();

    // What was pushed to the "screen" so far (enlarged by the scale), and how often.
    const Surface& screen() const { return shown; }
    int32_t presentCount() const { return presents; }
    // The screen areas that the presents pushed, in order.
    const std::vector<Rect>& presentedAreas() const { return areas; }

private:
    struct Event {
        enum Kind { Expose, Press, Wheel, Destroy } kind;
        Point where;
        int32_t notches = 0;
        int32_t modifiers = 0;
    };

    PixelScale scale;
    Surface pixels;
    Surface shown;
    WindowEvents& events;
    std::deque<Event> pending;
    std::vector<Rect> areas;
    int32_t buttons = 0;
    Point location;
    int32_t presents = 0;
    bool withdrawn = false;
};

class HeadlessPlatform : public Platform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void* parent, int32_t width, int32_t height,
                                               int32_t scale, WindowEvents& events) override;
    uint32_t ticks() override { return now; }
    int32_t editorScale(int32_t hostScale) override {
        return hostScale != 0 ? hostScale : desktopScale;
    }

    void setTicks(uint32_t milliseconds) { now = milliseconds; }
    // What editorScale answers from now on.
    void setEditorScale(int32_t scale) { desktopScale = scale; }
    // The window most recently opened (owned by its frame), or null.
    HeadlessWindow* lastWindow() const { return last; }
    // Makes the next openWindow fail, as it does without a display.
    void refuseWindows(bool refuse) { refusing = refuse; }

private:
    uint32_t now = 0;
    int32_t desktopScale = 1;
    HeadlessWindow* last = nullptr;
    bool refusing = false;
};
