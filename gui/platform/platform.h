// The narrow layer between the toolkit and the windowing system: a window with a pixel surface,
// live mouse state, and a millisecond clock. A window may show the surface enlarged (PixelScale);
// everything it reports is in the surface's pixels all the same. The X11 implementation (x11/) is
// the native one; the headless one (headless/) serves tests. The toolkit includes neither: it
// reaches them through this header, and no header of the toolkit sees a windowing-system type.
#pragma once

#include "gui/geometry.h"
#include "gui/platform/editbox.h"
#include "gui/render/surface.h"

#include <cstdint>
#include <memory>

// What a platform window reports while its pending events are drained.
class WindowEvents {
public:
    // The window needs its whole content painted.
    virtual void windowExposed() = 0;
    // A left or right button went down at `where` (surface pixels).
    virtual void windowPressed(Point where) = 0;
    // The wheel turned `notches` notches (up is positive) over `where` (surface pixels), with
    // `modifiers` (ModShift, ModControl, ModAlt) held.
    virtual void windowWheeled(Point where, int32_t notches, int32_t modifiers) = 0;
    // The window was destroyed from outside (its parent went away).
    virtual void windowDestroyed() = 0;

protected:
    ~WindowEvents() = default;
};

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;

    // The pixels of the window's content at 1x; drawing goes here, `present` shows it.
    virtual Surface& surface() = 0;
    // Pushes the surface's changed area to the screen, enlarged by the window's scale.
    virtual void present() = 0;
    // Handles every pending event, reporting to the window's WindowEvents.
    virtual void processEvents() = 0;
    // The live state of the mouse buttons and Shift, Control and Alt, as MouseBits.
    virtual int32_t mouseButtons() = 0;
    // The live pointer position in surface pixels.
    virtual Point mouseLocation() = 0;
    // The windowing system's handle of the window.
    virtual void* nativeHandle() = 0;
    // A single-line edit box over `layout.area` (surface pixels; the window enlarges it) holding
    // `text`, with the keyboard focus; its events arrive through processEvents. Null when none
    // can be made.
    virtual std::unique_ptr<EditBox>
    openEditBox(const EditBoxLayout& layout, const std::string& text, EditBoxEvents& events) = 0;
    // The editor closed while the window's events are still being handled: the window leaves the
    // screen at once, delivers no more events and reports no button held, so that a drag loop
    // on the stack ends; the object itself goes once that stack has unwound.
    virtual void withdraw() = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    // A child window of `parent` at (0, 0) showing a width x height surface `scale` times
    // enlarged, or null when none can be made (no display).
    virtual std::unique_ptr<PlatformWindow> openWindow(void* parent, int32_t width, int32_t height,
                                                       int32_t scale, WindowEvents& events) = 0;
    // The enlargement the user, else the host (`hostScale`, 0 when it suggests none), else the
    // desktop asks editors for; the host's, else 1, by default.
    virtual int32_t editorScale(int32_t hostScale);
    // Milliseconds of a monotonic clock; wraps around.
    virtual uint32_t ticks();
};

// The platform the toolkit uses: the native one unless another was installed.
Platform& currentPlatform();
// Installs `platform` (not owned) in place of the native one; null restores the native one.
void setPlatform(Platform* platform);
// The X11 platform.
Platform& nativePlatform();
