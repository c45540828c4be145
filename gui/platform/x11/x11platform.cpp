// The X11 binding's windows. Xlib is spoken only in this folder: here, in the edit box and in the
// error trap. Each frame has its own connection and a child window in the host's window; events
// are drained when the editor idles.
#include "gui/platform/pixelscale.h"
#include "gui/platform/platform.h"
#include "gui/platform/x11/x11editbox.h"
#include "gui/platform/x11/x11errors.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>

namespace {

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

// A connection that breaks leaves it to the call that noticed to give up, not the process.
void ignoreLostConnection(Display*, void*) {}

// The desktop's X resources, read on a connection of our own that lives just for this.
std::string desktopResources() {
    const x11errors::Shield shield;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return {};
    }
    x11errors::watch(display);
    XSetIOErrorExitHandler(display, &ignoreLostConnection, nullptr);
    const char* resources = XResourceManagerString(display);
    std::string copy = resources != nullptr ? resources : "";
    XCloseDisplay(display);
    x11errors::unwatch(display);
    return copy;
}

class X11Window : public PlatformWindow {
public:
    X11Window(Display* display, int32_t width, int32_t height, int32_t factor, WindowEvents& events)
        : display(display), scale(factor), pixels(width, height), events(events) {
        if (scale.factor() > 1) {
            enlarged = Surface(scale.up(pixels.width()), scale.up(pixels.height()));
        }
        x11errors::watch(display);
        XSetIOErrorExitHandler(display, &X11Window::connectionLost, this);
    }

    ~X11Window() override {
        const x11errors::Shield shield;
        closing = true;
        if (editBox != nullptr) {
            editBox->abandon();
        }
        if (image != nullptr) {
            image->data = nullptr; // the pixels belong to the surface
            XDestroyImage(image);
        }
        if (gc != nullptr) {
            XFreeGC(display, gc); // also the client's memory; sends nothing on a lost connection
        }
        if (connected) {
            if (window != 0 && alive) {
                XDestroyWindow(display, window);
            }
            if (colormap != 0) {
                XFreeColormap(display, colormap);
            }
        }
        XCloseDisplay(display);
        x11errors::unwatch(display);
    }
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool create(Window parent) {
        const x11errors::Shield shield;
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
        Surface& shown = shownPixels();
        window = XCreateWindow(
            display, parent, 0, 0, static_cast<unsigned>(std::max(shown.width(), 1)),
            static_cast<unsigned>(std::max(shown.height(), 1)), 0, visual.depth, InputOutput,
            visual.visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
        XSync(display, False);
        if (x11errors::takeError(display) || !connected) {
            window = 0;
            return false;
        }
        keepSize(shown.width(), shown.height());
        gc = XCreateGC(display, window, 0, nullptr);
        if (shown.width() > 0 && shown.height() > 0) {
            image = XCreateImage(display, visual.visual, static_cast<unsigned>(visual.depth),
                                 ZPixmap, 0, reinterpret_cast<char*>(shown.data()),
                                 static_cast<unsigned>(shown.width()),
                                 static_cast<unsigned>(shown.height()), 32, shown.width() * 4);
            if (image == nullptr || image->bits_per_pixel != 32) {
                return false;
            }
            // Our words are in the machine's order; Xlib swaps for the server if it must.
            image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
        }
        XMapWindow(display, window);
        XSync(display, False);
        return connected;
    }

    Surface& surface() override { return pixels; }

    void present() override {
        Rect area = pixels.takeChanges();
        if (!alive || image == nullptr || area.right <= area.left) {
            return;
        }
        if (scale.factor() > 1) {
            area = scale.enlarge(pixels, area, enlarged);
            enlarged.takeChanges();
        }
        const x11errors::Shield shield;
        XPutImage(display, window, gc, image, area.left, area.top, area.left, area.top,
                  static_cast<unsigned>(area.width()), static_cast<unsigned>(area.height()));
        XFlush(display);
    }

    void processEvents() override {
        XEvent event;
        while (nextEvent(event)) {
            translate(event);
        }
    }

    void withdraw() override {
        if (alive) {
            const x11errors::Shield shield;
            XDestroyWindow(display, window);
            XFlush(display);
            alive = false;
        }
    }

    int32_t mouseButtons() override {
        if (!alive) {
            return 0;
        }
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
        return query(pointer) ? scale.down({pointer.x, pointer.y}) : Point{};
    }

    void* nativeHandle() override {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
    }

    std::unique_ptr<EditBox> openEditBox(const EditBoxLayout& layout, const std::string& text,
                                         EditBoxEvents& events) override {
        if (!alive || window == 0) {
            return nullptr;
        }
        const x11errors::Shield shield;
        return std::make_unique<X11EditBox>(display, window, scale.up(layout), text, events,
                                            editBox);
    }

private:
    // The editor has one size: a host that embeds the window through a toolkit (suil, in Ardour
    // among others) reads these hints and centres the window in a wider plug-in window instead of
    // stretching it over an area nothing paints.
    void keepSize(int32_t width, int32_t height) {
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = std::max(width, 1);
        hints.min_height = hints.max_height = std::max(height, 1);
        XSetWMNormalHints(display, window, &hints);
    }

    // What the window shows: the surface itself at 1x, else its enlargement.
    Surface& shownPixels() { return scale.factor() > 1 ? enlarged : pixels; }

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
        const x11errors::Shield shield;
        XQueryPointer(display, window, &root, &child, &rootX, &rootY, &pointer.x, &pointer.y,
                      &pointer.mask);
        return !x11errors::takeError(display) && alive;
    }

    // The next pending event, if there is one and the window still takes events.
    bool nextEvent(XEvent& event) {
        const x11errors::Shield shield;
        if (!alive || XPending(display) <= 0) {
            return false;
        }
        XNextEvent(display, &event);
        return true;
    }

    // The connection broke (Xlib calls this from inside whichever call of ours noticed): the
    // window is gone with it, and the display takes no more requests but its closing.
    static void connectionLost(Display*, void* data) {
        auto* self = static_cast<X11Window*>(data);
        if (!self->connected) {
            return;
        }
        self->connected = false;
        self->alive = false;
        if (self->editBox != nullptr) {
            self->editBox->abandon();
        }
        if (!self->closing) {
            self->events.windowDestroyed();
        }
    }

    // Paint, left and right presses, wheel notches and the window's destruction reach the frame;
    // keys and focus changes belong to the text fields' edit boxes.
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
            if (event.xbutton.window == window) {
                translateButton(event.xbutton);
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

    void translateButton(const XButtonEvent& button) {
        const Point where =
            scale.down({static_cast<uint16_t>(button.x), static_cast<uint16_t>(button.y)});
        if (button.button == Button1 || button.button == Button3) {
            pressState =
                buttonBits(button.state) | (button.button == Button1 ? ButtonLeft : ButtonRight);
            events.windowPressed(where);
            pressState = 0;
        } else if (button.button == Button4 || button.button == Button5) {
            // The core protocol reports a wheel notch as a press of button 4 (up) or 5 (down).
            events.windowWheeled(where, button.button == Button4 ? 1 : -1,
                                 buttonBits(button.state) & (ModShift | ModControl | ModAlt));
        }
    }

    Display* display;
    Window window = 0;
    GC gc = nullptr;
    Colormap colormap = 0;
    XImage* image = nullptr;
    PixelScale scale;
    Surface pixels;
    // The window's pixels when it shows the surface enlarged; empty at 1x.
    Surface enlarged;
    WindowEvents& events;
    // The text field's edit box while one is open; it clears this itself when it goes.
    X11EditBox* editBox = nullptr;
    // The button word of the press being handled, until somebody asks for the buttons.
    int32_t pressState = 0;
    // The window exists on the server.
    bool alive = true;
    // The connection works; once broken it stays so.
    bool connected = true;
    bool closing = false;
};

class X11Platform : public Platform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void* parent, int32_t width, int32_t height,
                                               int32_t scale, WindowEvents& events) override {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return nullptr;
        }
        auto window = std::make_unique<X11Window>(display, width, height, scale, events);
        if (!window->create(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)))) {
            return nullptr;
        }
        return window;
    }

    // The desktop's part is what its Xft.dpi asks for.
    int32_t editorScale(int32_t hostScale) override {
        return chosenScale(hostScale, [] { return scaleFromResources(desktopResources()); });
    }
};

} // namespace

Platform& nativePlatform() {
    static X11Platform platform;
    return platform;
}
