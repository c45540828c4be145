#include "gui/platform/x11/x11errors.h"

#include <algorithm>
#include <mutex>
#include <vector>

// Last: Xlib's internal header defines min and max as macros. It declares the connections' own
// error converters, which Xlib offers for intercepting errors before they are reported.
#include <X11/Xlib.h>
#include <X11/Xlibint.h>

namespace x11errors {

namespace {

// Error codes Xlib dispatches through a connection's own converters (core and extensions).
constexpr int kFirstErrorCode = 1;
constexpr int kLastErrorCode = 255;

// Our connections and those that saw an error; editors on several UI threads share them.
struct Registry {
    std::mutex mutex;
    std::vector<Display*> watched;
    std::vector<Display*> failed;
    int shields = 0;
    XIOErrorHandler hostHandler = nullptr;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

bool isWatched(Registry& state, Display* display) {
    return std::find(state.watched.begin(), state.watched.end(), display) != state.watched.end();
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

int quietForOurs(Display* display) {
    Registry& state = registry();
    XIOErrorHandler host = nullptr;
    {
        std::lock_guard lock(state.mutex);
        if (isWatched(state, display)) {
            return 0; // the connection's exit handler follows
        }
        host = state.hostHandler;
    }
    return host != nullptr ? host(display) : 0;
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
    std::erase(state.watched, display);
    std::erase(state.failed, display);
}

bool takeError(Display* display) {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    return std::erase(state.failed, display) != 0;
}

Shield::Shield() {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    if (state.shields++ == 0) {
        state.hostHandler = XSetIOErrorHandler(&quietForOurs);
    }
}

Shield::~Shield() {
    Registry& state = registry();
    std::lock_guard lock(state.mutex);
    if (--state.shields == 0) {
        const XIOErrorHandler current = XSetIOErrorHandler(state.hostHandler);
        if (current != &quietForOurs) {
            // The host installed its own meanwhile: leave it in place.
            XSetIOErrorHandler(current);
        }
        state.hostHandler = nullptr;
    }
}

} // namespace x11errors
