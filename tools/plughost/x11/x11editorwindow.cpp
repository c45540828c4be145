#include "tools/plughost/x11/x11editorwindow.h"

#include "tools/common/errors.h"

#include <X11/Xutil.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

namespace plughost {
namespace {

// The window's size until the editor gives its own, for editors that know it only once open.
constexpr EditorSize kProvisionalSize{320, 240};
constexpr int kLargestSide = 16384;
constexpr auto kShowTimeout = std::chrono::seconds(5);

bool acceptable(EditorSize size) {
    return size.width > 0 && size.height > 0 && size.width <= kLargestSide &&
           size.height <= kLargestSide;
}

std::optional<EditorSize> acceptableSize(EmbeddedEditor& editor) {
    const std::optional<EditorSize> size = editor.size();
    return size && acceptable(*size) ? size : std::nullopt;
}

uint8_t channel(unsigned long pixel, unsigned long mask) {
    const int shift = std::countr_zero(mask);
    const unsigned long largest = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / largest);
}

} // namespace

EditorWindow::EditorWindow(X11Session& session, EmbeddedEditor& editor, const Options& options)
    : session(session), display(session.display()), editor(editor) {
    const std::optional<EditorSize> before = acceptableSize(editor);
    create(before.value_or(kProvisionalSize), options);
    try {
        editor.open(window, [this](EditorSize size) { return resizeAsAsked(size); });
        open = true;
        const std::optional<EditorSize> after = acceptableSize(editor);
        if (!after && !before) {
            throw HostError("the editor of " + options.title + " gives no size");
        }
        resize(after.value_or(*before));
        showAndWait();
    } catch (...) {
        release();
        throw;
    }
}

EditorWindow::~EditorWindow() {
    release();
}

void EditorWindow::release() {
    if (open) {
        editor.close();
        open = false;
    }
    if (window != 0) {
        XDestroyWindow(display, window);
        window = 0;
        XSync(display, False);
    }
}

void EditorWindow::create(EditorSize size, const Options& options) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = options.managed ? False : True;
    attributes.event_mask = StructureNotifyMask;
    window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(size.width),
                      static_cast<unsigned>(size.height), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    std::string className = "plughost";
    XClassHint classHint{className.data(), className.data()};
    Xutf8SetWMProperties(display, window, options.title.c_str(), options.title.c_str(), nullptr, 0,
                         nullptr, nullptr, &classHint);
    resize(size);
}

void EditorWindow::resize(EditorSize size) {
    current = size;
    XResizeWindow(display, window, static_cast<unsigned>(size.width),
                  static_cast<unsigned>(size.height));
    // The editor has one size: the user cannot stretch the window.
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = size.width;
        hints->min_height = hints->max_height = size.height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    XFlush(display);
}

void EditorWindow::showAndWait() {
    XMapRaised(display, window);
    const auto deadline = std::chrono::steady_clock::now() + kShowTimeout;
    XEvent event;
    while (!XCheckTypedWindowEvent(display, window, MapNotify, &event)) {
        if (std::chrono::steady_clock::now() > deadline) {
            throw HostError("the editor window did not appear on the display");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool EditorWindow::resizeAsAsked(EditorSize size) {
    if (!acceptable(size)) {
        return false;
    }
    resize(size);
    return true;
}

bool EditorWindow::idle() {
    const bool running = editor.idle();
    XSync(display, False);
    return running;
}

bool EditorWindow::handleEvents() {
    bool closeAsked = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.window == window &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            closeAsked = true;
        }
        // Another client destroyed it: there is nothing left to show or to destroy.
        if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
            window = 0;
            closeAsked = true;
        }
    }
    return !closeAsked;
}

RgbImage EditorWindow::capture() const {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable) {
        throw HostError("cannot read the editor's pixels: its window is not visible");
    }
    const Visual* visual = attributes.visual;
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        throw HostError("cannot read the editor's pixels: the display has no true-colour visual");
    }
    session.takeError();
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(current.width),
                              static_cast<unsigned>(current.height), AllPlanes, ZPixmap);
    if (image == nullptr || session.takeError()) {
        if (image != nullptr) {
            XDestroyImage(image);
        }
        throw HostError("cannot read the editor's pixels: is it larger than the screen?");
    }
    RgbImage picture(current.width, current.height);
    for (int y = 0; y < current.height; ++y) {
        for (int x = 0; x < current.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.at(x, y) =
                packRgb(channel(pixel, visual->red_mask), channel(pixel, visual->green_mask),
                        channel(pixel, visual->blue_mask));
        }
    }
    XDestroyImage(image);
    return picture;
}

} // namespace plughost
