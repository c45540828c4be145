// The test's side of the X server, as a host has it: a connection of its own, top-level windows
// to embed editors in, the pixels the server shows, and real pointer and keyboard input (XTEST).
// Include it after every other header: Xlib's macros (None, Bool, Status) would clash with them.
#pragma once

#include "gui/render/surface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

inline constexpr const char* kNoDisplay = "no X display; run through with_xvfb (ctest does)";

// A window id in the form an editor's open() receives it.
inline void* windowHandle(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

// Calls `idle` (a host's idle) every 10 ms until `done` holds, at most `attempts` times: the
// editor draws on a connection of its own, so the server catches up only after a while.
inline bool repeatUntil(const std::function<void()>& idle, const std::function<bool()>& done,
                        int attempts = 300) {
    for (int i = 0; i < attempts; ++i) {
        idle();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class X11Session {
public:
    X11Session() : display(XOpenDisplay(nullptr)) {}
    ~X11Session() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool hasXTest() const {
        int unused = 0;
        return XTestQueryExtension(display, &unused, &unused, &unused, &unused) != 0;
    }

    // A mapped grey top-level window; the caller destroys it.
    Window makeHostWindow(int x, int y, unsigned int width, unsigned int height) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, width,
                                                  height, 0, 0, 0x808080);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }
    // Where `window` lies in its parent (right and bottom exclusive).
    Rect placement(Window window) {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned int width = 0;
        unsigned int height = 0;
        unsigned int border = 0;
        unsigned int depth = 0;
        XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
        return {x, y, x + static_cast<int>(width), y + static_cast<int>(height)};
    }
    std::vector<Window> children(Window parent) {
        Window root = 0;
        Window above = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        XSync(display, False);
        if (XQueryTree(display, parent, &root, &above, &list, &count) != 0) {
            result.assign(list, list + count);
            XFree(list);
        }
        return result;
    }

    // The pixel (x, y) of `window` as the server shows it; 0xdeadbeef when it cannot be read.
    uint32_t pixel(Window window, int x, int y) {
        XSync(display, False);
        XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return 0xdeadbeef;
        }
        const auto value = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xffffff;
        XDestroyImage(image);
        return value;
    }
    // The top-left `width` x `height` pixels of `window`; an empty surface when unreadable.
    Surface read(Window window, int width, int height) {
        XSync(display, False);
        XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return Surface();
        }
        Surface shown(width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                shown.data()[y * width + x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
            }
        }
        XDestroyImage(image);
        return shown;
    }

    // Moves the real pointer to (x, y) of `window`.
    void movePointer(Window window, int x, int y) {
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY,
                              &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void button(bool down, unsigned int number = 1) {
        XTestFakeButtonEvent(display, number, down ? True : False, CurrentTime);
        XSync(display, False);
    }
    void click(Window window, int x, int y) {
        movePointer(window, x, y);
        button(true);
        button(false);
    }
    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), down ? True : False,
                          CurrentTime);
        XSync(display, False);
    }
    void type(KeySym symbol) {
        key(symbol, true);
        key(symbol, false);
    }

    Display* const display;
};

// A test against the X server on the test's own connection. Derived fixtures call this SetUp
// first and go on only when ready(): without a display the test is skipped, not failed.
class X11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << kNoDisplay;
        }
        ASSERT_NE(x11.display, nullptr);
        ASSERT_TRUE(x11.hasXTest());
    }
    bool ready() const { return !IsSkipped() && !HasFatalFailure(); }

    X11Session x11;
};

// Walks the pointer along `path` over `window`, one point per step, then lets go. A knob's drag
// loop lets the host idle between pointer events, so each host idle takes one step.
class PointerWalk {
public:
    PointerWalk(X11Session& x11, Window window, std::vector<Point> path)
        : x11(x11), window(window), path(std::move(path)) {}

    void step() {
        if (next < path.size()) {
            x11.movePointer(window, path[next].h, path[next].v);
            ++next;
        } else {
            x11.button(false);
        }
    }
    bool walked() const { return next == path.size(); }

private:
    X11Session& x11;
    Window window;
    std::vector<Point> path;
    size_t next = 0;
};

// Should a drag loop never see the release, lets go after five seconds from a connection of its
// own, so that the test fails instead of hanging.
class ReleaseWatchdog {
public:
    ReleaseWatchdog()
        : thread([this] {
              for (int i = 0; i < 500 && !finished; ++i) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              if (!finished) {
                  Display* rescue = XOpenDisplay(nullptr);
                  XTestFakeButtonEvent(rescue, 1, False, CurrentTime);
                  XCloseDisplay(rescue);
              }
          }) {}
    ~ReleaseWatchdog() { stop(); }
    ReleaseWatchdog(const ReleaseWatchdog&) = delete;
    ReleaseWatchdog& operator=(const ReleaseWatchdog&) = delete;

    void stop() {
        finished = true;
        if (thread.joinable()) {
            thread.join();
        }
    }

private:
    std::atomic<bool> finished{false};
    std::thread thread;
};
