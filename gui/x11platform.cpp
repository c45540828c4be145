// The X11 binding: the only code that speaks Xlib. Each frame has its own connection and a child
// window in the host's window; events are drained when the editor idles.
#include "gui/platform.h"
#include "gui/x11editbox.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// Errors on our own connections are expected (the host may destroy our window's parent before
// we hear of it) and are swallowed; errors on anybody else's connection go to the handler that
// was installed before ours.
class ErrorTrap {
public:
    static void watch(Display* display) {
        if (displays().empty()) {
            previous = XSetErrorHandler(&ErrorTrap::handle);
        }
        displays().push_back(display);
    }
    static void unwatch(Display* display) {
        std::erase(displays(), display);
        // A later connection may get the same address: forget what this one saw.
        takeError(display);
        if (displays().empty()) {
            XErrorHandler current = XSetErrorHandler(previous);
            if (current != &ErrorTrap::handle) {
                // Somebody replaced ours meanwhile: leave theirs in place.
                XSetErrorHandler(current);
            }
            previous = nullptr;
        }
    }
    // Whether an error arrived on `display` since the last call.
    static bool takeError(Display* display) {
        const bool seen = failed == display;
        if (seen) {
            failed = nullptr;
        }
        return seen;
    }

private:
    static std::vector<Display*>& displays() {
        static std::vector<Display*> list;
        return list;
    }
    static int handle(Display* display, XErrorEvent* error) {
        if (std::find(displays().begin(), displays().end(), display) != displays().end()) {
            failed = display;
            return 0;
        }
        return previous != nullptr ? previous(display, error) : 0;
    }

    static inline XErrorHandler previous = nullptr;
    static inline Display* failed = nullptr;
};

int32_t buttonBits(unsigned int mask) {
    int32_t bits = 0;
    bits |= (mask & Button1Mask) != 0 ? ButtonLeft : 0;
    bits |= (mask & Button2Mask) != 0 ? ButtonMiddle : 0;
    bits |= (mask & Button3Mask) != 0 ? ButtonRight : 0;
    bits |= (mask & ShiftMask) != 0 ? ModShift : 0;
    bits |= (mask & ControlMask) != 0 ? ModControl : 0;
    bits |= (mask & Mod1Mask) != 0 ? ModAlt : 0;
    return bits;
}

class X11Window : public PlatformWindow {
public:
    X11Window(Display* display, int32_t width, int32_t height, WindowEvents& events)
        : display(display), pixels(width, height), events(events) {
        ErrorTrap::watch(display);
    }

    ~X11Window() override {
        if (editBox != nullptr) {
            editBox->abandon();
        }
        if (image != nullptr) {
            image->data = nullptr; // the pixels belong to the surface
            XDestroyImage(image);
        }
        if (gc != nullptr) {
            XFreeGC(display, gc);
        }
        if (window != 0 && alive) {
            XDestroyWindow(display, window);
        }
        if (colormap != 0) {
            XFreeColormap(display, colormap);
        }
        XCloseDisplay(display);
        ErrorTrap::unwatch(display);
    }
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool create(Window parent) {
        XWindowAttributes parentAttributes;
        XVisualInfo visual;
        if (parent == 0 || XGetWindowAttributes(display, parent, &parentAttributes) == 0 ||
            XMatchVisualInfo(display, XScreenNumberOfScreen(parentAttributes.screen), 24, TrueColor,
                             &visual) == 0 ||
            visual.red_mask != 0xff0000 || visual.green_mask != 0xff00 ||
            visual.blue_mask != 0xff) {
            return false;
        }
        colormap = XCreateColormap(display, parent, visual.visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        attributes.event_mask =
            ExposureMask | ButtonPressMask | KeyPressMask | FocusChangeMask | StructureNotifyMask;
        window = XCreateWindow(
            display, parent, 0, 0, static_cast<unsigned>(std::max(pixels.width(), 1)),
            static_cast<unsigned>(std::max(pixels.height(), 1)), 0, visual.depth, InputOutput,
            visual.visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
        XSync(display, False);
        if (ErrorTrap::takeError(display)) {
            window = 0;
            return false;
        }
        gc = XCreateGC(display, window, 0, nullptr);
        if (pixels.width() > 0 && pixels.height() > 0) {
            image = XCreateImage(display, visual.visual, static_cast<unsigned>(visual.depth),
                                 ZPixmap, 0, reinterpret_cast<char*>(pixels.data()),
                                 static_cast<unsigned>(pixels.width()),
                                 static_cast<unsigned>(pixels.height()), 32, pixels.width() * 4);
            if (image == nullptr || image->bits_per_pixel != 32) {
                return false;
            }
            // Our words are in the machine's order; Xlib swaps for the server if it must.
            image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        }
        XMapWindow(display, window);
        XSync(display, False);
        return true;
    }

    Surface& surface() override { return pixels; }

    void present() override {
        const Rect area = pixels.takeChanges();
        if (!alive || image == nullptr || area.right <= area.left) {
            return;
        }
        XPutImage(display, window, gc, image, area.left, area.top, area.left, area.top,
                  static_cast<unsigned>(area.width()), static_cast<unsigned>(area.height()));
        XFlush(display);
    }

    void processEvents() override {
        while (alive && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            translate(event);
        }
    }

    int32_t mouseButtons() override {
        // Events wait for the editor's idle, so a short click may be over before its press is
        // handled: the first question asked about a press is answered with the press's own state.
        if (pressState != 0) {
            return std::exchange(pressState, 0);
        }
        Pointer pointer;
        return query(pointer) ? buttonBits(pointer.mask) : 0;
    }

    Point mouseLocation() override {
        Pointer pointer;
        return query(pointer) ? Point{pointer.x, pointer.y} : Point{};
    }

    void* nativeHandle() override {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
    }

    std::unique_ptr<EditBox> openEditBox(const EditBoxLayout& layout, const std::string& text,
                                         EditBoxEvents& events) override {
        if (!alive || window == 0) {
            return nullptr;
        }
        return std::make_unique<X11EditBox>(display, window, layout, text, events, editBox);
    }

private:
    struct Pointer {
        int x = 0;
        int y = 0;
        unsigned int mask = 0;
    };

    // The live pointer: buttons and modifiers, and the position relative to our window.
    bool query(Pointer& pointer) {
        if (!alive) {
            return false;
        }
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        XQueryPointer(display, window, &root, &child, &rootX, &rootY, &pointer.x, &pointer.y,
                      &pointer.mask);
        return !ErrorTrap::takeError(display);
    }

    // Paint, left and right presses, and the window's destruction reach the frame; keys and
    // focus changes belong to the text fields' edit boxes.
    void translate(const XEvent& event) {
        if (editBox != nullptr && editBox->handle(event)) {
            return;
        }
        switch (event.type) {
        case Expose:
            if (event.xexpose.window == window && event.xexpose.count == 0) {
                events.windowExposed();
            }
            break;
        case ButtonPress:
            if (event.xbutton.window == window &&
                (event.xbutton.button == Button1 || event.xbutton.button == Button3)) {
                pressState = buttonBits(event.xbutton.state) |
                             (event.xbutton.button == Button1 ? ButtonLeft : ButtonRight);
                events.windowPressed({static_cast<uint16_t>(event.xbutton.x),
                                      static_cast<uint16_t>(event.xbutton.y)});
                pressState = 0;
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window) {
                alive = false;
                events.windowDestroyed();
            }
            break;
        default:
            break;
        }
    }

    Display* display;
    Window window = 0;
    GC gc = nullptr;
    Colormap colormap = 0;
    XImage* image = nullptr;
    Surface pixels;
    WindowEvents& events;
    // The text field's edit box while one is open; it clears this itself when it goes.
    X11EditBox* editBox = nullptr;
    // The button word of the press being handled, until somebody asks for the buttons.
    int32_t pressState = 0;
    bool alive = true;
};

class X11Platform : public Platform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void* parent, int32_t width, int32_t height,
                                               WindowEvents& events) override {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return nullptr;
        }
        auto window = std::make_unique<X11Window>(display, width, height, events);
        if (!window->create(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)))) {
            return nullptr;
        }
        return window;
    }
};

} // namespace

Platform& nativePlatform() {
    static X11Platform platform;
    return platform;
}
