#include "tools/plughost/x11editorwindow.h"

#include <X11/Xutil.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

namespace plughost {
namespace {

constexpr intptr_t kHostVersion = 2400;
constexpr float kSampleRate = 44100.0f;
constexpr intptr_t kBlockSize = 512;
// The window's size until the editor gives its own, for editors that know it only once open.
constexpr EditorSize kProvisionalSize{320, 240};
constexpr int kLargestSide = 16384;
constexpr auto kShowTimeout = std::chrono::seconds(5);
constexpr size_t kTextSize = 256;

bool acceptable(EditorSize size) {
    return size.width > 0 && size.height > 0 && size.width <= kLargestSide &&
           size.height <= kLargestSide;
}

// The editor's rectangle; nothing when it gives none (some know it only once open).
std::optional<EditorSize> askEditorSize(const PluginInstance& plugin) {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) {
        return std::nullopt;
    }
    const EditorSize size{rect->right - rect->left, rect->bottom - rect->top};
    return acceptable(size) ? std::optional(size) : std::nullopt;
}

std::string pluginText(const PluginInstance& plugin, int32_t opcode) {
    char text[kTextSize] = {};
    plugin.dispatch(opcode, 0, 0, text);
    text[kTextSize - 1] = '\0';
    return text;
}

uint8_t channel(unsigned long pixel, unsigned long mask) {
    const int shift = std::countr_zero(mask);
    const unsigned long largest = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / largest);
}

intptr_t plainAnswer(const HostRequest& request) {
    return request.opcode == audioMasterVersion ? kHostVersion : 0;
}

} // namespace

void requireEditor(const PluginInstance& plugin, const std::string& path) {
    if ((plugin.record()->flags & effFlagsHasEditor) == 0) {
        throw HostError(path + " has no editor");
    }
}

std::string editorTitle(const PluginInstance& plugin, const std::string& path) {
    std::string name = pluginText(plugin, effGetEffectName);
    if (name.empty()) {
        name = pluginText(plugin, effGetProductString);
    }
    if (name.empty()) {
        const auto slash = path.rfind('/');
        name = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return name + " (" + fourCharText(plugin.record()->uniqueID) + ")";
}

SwitchedOn::SwitchedOn(const PluginInstance& plugin) : plugin(plugin) {
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
    plugin.dispatch(effSetBlockSize, 0, kBlockSize);
    plugin.dispatch(effMainsChanged, 0, 1);
}

SwitchedOn::~SwitchedOn() {
    plugin.dispatch(effMainsChanged, 0, 0);
}

EditorWindow::EditorWindow(X11Session& session, const PluginInstance& plugin, RecordingHost& host,
                           const Options& options)
    : session(session), display(session.display()), plugin(plugin), host(host) {
    const std::optional<EditorSize> before = askEditorSize(plugin);
    create(before.value_or(kProvisionalSize), options);
    host.setResponder([this](const HostRequest& request) { return answer(request); });
    try {
        const auto parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window));
        if (plugin.dispatch(effEditOpen, 0, 0, parent) == 0) {
            throw HostError("the editor of " + options.title + " refused to open");
        }
        open = true;
        const std::optional<EditorSize> after = askEditorSize(plugin);
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
        plugin.dispatch(effEditClose);
        open = false;
    }
    host.setResponder(plainAnswer);
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

intptr_t EditorWindow::answer(const HostRequest& request) {
    switch (request.opcode) {
    case audioMasterSizeWindow: {
        const EditorSize size{request.index, static_cast<int>(request.value)};
        if (!acceptable(size) || request.value != size.height) {
            return 0;
        }
        resize(size);
        return 1;
    }
    case audioMasterCanDo:
        return request.ptr != nullptr &&
                       std::strcmp(static_cast<const char*>(request.ptr), "sizeWindow") == 0
                   ? 1
                   : 0;
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(kSampleRate);
    case audioMasterGetBlockSize:
        return kBlockSize;
    default:
        return plainAnswer(request);
    }
}

void EditorWindow::idle() {
    plugin.dispatch(effEditIdle);
    XSync(display, False);
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
