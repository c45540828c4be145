#include "gui/platform/x11/x11errors.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

// Last: Xlib's internal header defines min and max as macros. It declares the connections' own
// error converters, which Xlib offers for intercepting errors before they are reported, and the
// process-wide I/O error handler with the lock Xlib guards it by.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

// Several libraries built on this toolkit (two versions of the plug-in, or two plug-ins) may be
// loaded at once, each with its own copy of this file. Their handlers stack: each copy with an
// active Shield has its handler in one chain that starts at the process handler and ends in the
// host's, every handler passing on what is not its own to the one below. A copy whose last Shield
// ends unlinks itself wherever it sits, so that the chain never points into a library that may be
// unloaded next, and with no Shield of any copy active the process handler is the host's again.
// A copy finds another from that one's handler, with dladdr, by the exported name below; the
// link's layout is shared by every copy that exports these names, so it changes only with them.
// Xlib reads the process handler without its lock, so a host connection failing on one thread
// just as a copy leaves on another may still run that copy's handler: no copy can close that.
extern "C" {

struct ToolkitHandlerLink {
    XIOErrorHandler below;         // where the host's connections go on to
    ToolkitHandlerLink* belowLink; // below's link, when below is another copy
    ToolkitHandlerLink* aboveLink; // the copy whose `below` is this copy
};

__attribute__((visibility("default"))) ToolkitHandlerLink* glidefilter_toolkit_x11_link_v1();

// Installed under this name so that other copies recognise it; our own code uses the hidden name,
// so that no other object's definition of the exported one can stand in for ours.
__attribute__((visibility("hidden"))) int glidefilter_toolkit_x11_quiet_for_ours(Display* display);
__attribute__((visibility("default"), alias("glidefilter_toolkit_x11_quiet_for_ours"))) int
glidefilter_toolkit_x11_io_handler_v1(Display* display);

} // extern "C"

namespace x11errors {

namespace {

using Link = ToolkitHandlerLink;

constexpr const char* kHandlerName = "glidefilter_toolkit_x11_io_handler_v1";
constexpr const char* kLinkName = "glidefilter_toolkit_x11_link_v1";

// Error codes Xlib dispatches through a connection's own converters (core and extensions).
constexpr int kFirstErrorCode = 1;
constexpr int kLastErrorCode = 255;

// Our connections and those that saw an error; editors on several UI threads share them. A
// connection closed on one thread may free an address that another thread's new connection gets
// before the first has forgotten it, so each watch is forgotten on its own.
struct Registry {
    std::mutex mutex;
    std::vector<Display*> watched;
    std::vector<Display*> failed;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

bool isWatched(Registry& state, Display* display) {
    return std::find(state.watched.begin(), state.watched.end(), display) != state.watched.end();
}

// This copy's place in the chain. Every copy changes links only under Xlib's global lock, the one
// lock all copies (and the host's XSetIOErrorHandler) agree on, and calls nothing under it but
// plain stores: no Xlib, no loader (whose lock a library constructor may hold while it waits for
// Xlib's). Only `below` is also read without it, by the handler.
Link& ownLink() {
    static Link link{};
    return link;
}

XIOErrorHandler belowOf(Link& link) {
    return std::atomic_ref(link.below).load(std::memory_order_acquire);
}

void setBelow(Link& link, XIOErrorHandler below) {
    std::atomic_ref(link.below).store(below, std::memory_order_release);
}

class GlobalLock {
public:
    GlobalLock() { _XLockMutex(_Xglobal_lock); }
    ~GlobalLock() { _XUnlockMutex(_Xglobal_lock); }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
};

// The process handler as XSetIOErrorHandler reports it; call with the global lock held.
XIOErrorHandler processHandler() {
    return _XIOErrorFunction != nullptr ? _XIOErrorFunction : &_XDefaultIOError;
}

XIOErrorHandler installedHandler() {
    const GlobalLock lock;
    return processHandler();
}

// The object a handler lives in, kept loaded while this lives so that no other can take its
// address; and its link when it is another copy's handler.
class Neighbour {
public:
    explicit Neighbour(XIOErrorHandler handler) {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(handler), &info) == 0 || info.dli_fname == nullptr) {
            return;
        }
        pinned = dlopen(info.dli_fname, RTLD_NOLOAD | RTLD_LAZY);
        if (pinned != nullptr && info.dli_sname != nullptr &&
            std::strcmp(info.dli_sname, kHandlerName) == 0 &&
            info.dli_saddr == reinterpret_cast<void*>(handler)) {
            auto* entry = reinterpret_cast<Link* (*)()>(dlsym(pinned, kLinkName));
            link = entry != nullptr ? entry() : nullptr;
        }
    }
    ~Neighbour() {
        if (pinned != nullptr) {
            dlclose(pinned);
        }
    }
    Neighbour(const Neighbour&) = delete;
    Neighbour& operator=(const Neighbour&) = delete;

    Link* link = nullptr;

private:
    void* pinned = nullptr;
};

// Puts our handler on top if `top` is still the process handler, passing on to `below`.
bool pushOnTop(XIOErrorHandler top, XIOErrorHandler below, Link* belowLink) {
    const GlobalLock lock;
    if (processHandler() != top) {
        return false;
    }
    Link& own = ownLink();
    setBelow(own, below);
    own.belowLink = belowLink;
    if (belowLink != nullptr) {
        belowLink->aboveLink = &own;
    }
    _XIOErrorFunction = &glidefilter_toolkit_x11_quiet_for_ours;
    return true;
}

// Whether our handler went on top of `top`, still the process handler by then. Finding out
// whose `top` is needs the loader, so it happens unlocked, and the caller retries when another
// handler got on top meanwhile.
bool joinOver(XIOErrorHandler top) {
    if (top == &glidefilter_toolkit_x11_quiet_for_ours) {
        // A host put back our handler after we had left: nothing known lies below it.
        return pushOnTop(top, &_XDefaultIOError, nullptr);
    }
    const Neighbour neighbour(top);
    return pushOnTop(top, top, neighbour.link);
}

void joinChain() {
    while (!joinOver(installedHandler())) {
    }
}

// Hands what lies below us to whatever is above: the process handler, or the copy that joined
// after us. A host that installed its own handler over ours keeps it.
void leaveChain() {
    const GlobalLock lock;
    Link& own = ownLink();
    if (processHandler() == &glidefilter_toolkit_x11_quiet_for_ours) {
        _XIOErrorFunction = belowOf(own);
    } else if (own.aboveLink != nullptr) {
        setBelow(*own.aboveLink, belowOf(own));
        own.aboveLink->belowLink = own.belowLink;
    }
    if (own.belowLink != nullptr) {
        own.belowLink->aboveLink = own.aboveLink;
    }
    setBelow(own, nullptr);
    own.belowLink = nullptr;
    own.aboveLink = nullptr;
}

// This copy's active Shields; the first joins the chain and the last leaves it. Its lock comes
// before the loader's and Xlib's global one and is never taken under either, nor by another
// copy, so copies on several threads cannot wait on each other in a circle.
struct Shields {
    std::mutex mutex;
    int active = 0;
};

Shields& shields() {
    static Shields counted;
    return counted;
}

// A connection's converter for every error code: records the error and tells Xlib to drop it,
// so that it never reaches the process-wide handler.
Bool recordError(Display* display, XErrorEvent*, xError*) {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    if (isWatched(state, display) &&
        std::find(state.failed.begin(), state.failed.end(), display) == state.failed.end()) {
        state.failed.push_back(display);
    }
    return False;
}

bool watching(Display* display) {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    return isWatched(state, display);
}

} // namespace

void watch(Display* display) {
    {
        Registry& state = registry();
        std::lock_guard lock(state.mutex);
        state.watched.push_back(display);
    }
    for (int code = kFirstErrorCode; code <= kLastErrorCode; ++code) {
        XESetWireToError(display, code, &recordError);
    }
}

void unwatch(Display* display) {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    const auto found = std::find(state.watched.begin(), state.watched.end(), display);
    if (found != state.watched.end()) {
        state.watched.erase(found);
    }
    if (!isWatched(state, display)) {
        std::erase(state.failed, display);
    }
}

bool takeError(Display* display) {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    return std::erase(state.failed, display) != 0;
}

Shield::Shield() {
    Shields& counted = shields();
    std::lock_guard lock(counted.mutex);
    if (counted.active++ == 0) {
        joinChain();
    }
}

Shield::~Shield() {
    Shields& counted = shields();
    std::lock_guard lock(counted.mutex);
    if (--counted.active == 0) {
        leaveChain();
    }
}

} // namespace x11errors

extern "C" {

ToolkitHandlerLink* glidefilter_toolkit_x11_link_v1() {
    return &x11errors::ownLink();
}

int glidefilter_toolkit_x11_quiet_for_ours(Display* display) {
    if (x11errors::watching(display)) {
        return 0; // the connection's exit handler follows
    }
    const XIOErrorHandler below = x11errors::belowOf(x11errors::ownLink());
    return below != nullptr ? below(display) : 0;
}

} // extern "C"
