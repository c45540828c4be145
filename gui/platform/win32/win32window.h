// The frame window on Windows: a child window of the host's window, of the module's window class.
// The host's message loop calls its window procedure; what concerns the frame (paint, presses,
// wheel, destruction) is queued there and reported when the editor idles, as on X11, so that the
// frame never changes under a drag loop or an editor that is closing.
#pragma once

#include "gui/platform/pixelscale.h"
#include "gui/platform/platform.h"
#include "gui/platform/win32/win32editbox.h"

#include <windows.h>

#include <deque>

class Win32Window : public PlatformWindow {
public:
    Win32Window(int32_t width, int32_t height, int32_t factor, WindowEvents& events);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    // Creates the window in `parent`; false when it cannot be made.
    bool create(HWND parent);

    Surface& surface() override { return pixels; }
    void present() override;
    void processEvents() override;
    int32_t mouseButtons() override;
    Point mouseLocation() override;
    void* nativeHandle() override { return window; }
    std::unique_ptr<EditBox> openEditBox(const EditBoxLayout& layout, const std::string& text,
                                         EditBoxEvents& events) override;
    void withdraw() override;

private:
    struct Event {
        enum Kind { Expose, Press, Wheel, Destroy } kind;
        Point where;
        // Press: the button word at the press; wheel: the modifiers held.
        int32_t bits = 0;
        int32_t notches = 0;
    };

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void handle(UINT message, WPARAM wParam, LPARAM lParam);
    void queueWheel(WPARAM wParam, LPARAM lParam);
    void deliver(const Event& event);
    // What the window shows: the surface itself at 1x, else its enlargement.
    Surface& shownPixels() { return scale.factor() > 1 ? enlarged : pixels; }
    // Copies `area` of the shown pixels to the device context at the same place.
    void blit(HDC context, const Rect& area);
    void destroy();

    HWND window = nullptr;
    PixelScale scale;
    Surface pixels;
    Surface enlarged;
    WindowEvents& events;
    std::deque<Event> pending;
    Win32EditBox* editBox = nullptr;
    // The button word of the press being reported, until somebody asks for the buttons.
    int32_t pressState = 0;
    // Wheel movement short of a whole notch.
    int32_t wheelRemainder = 0;
    bool alive = false;
    bool registered = false;
};
