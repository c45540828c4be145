#include "tools/plughost/x11/x11session.h"

#include "tools/plughost/formats/vst2library.h"

#include <cstdlib>

namespace plughost {
namespace {

Display* sessionDisplay = nullptr;
bool sessionError = false;

// A plug-in's X mistakes on its own connections must not end the host, as Xlib's default handler
// would; errors on plughost's connection are kept for takeError.
int recordError(Display* display, XErrorEvent*) {
    if (display == sessionDisplay) {
        sessionError = true;
    }
    return 0;
}

std::string environmentDisplay() {
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? name : "";
}

// What to do when the user's display cannot be opened: screenshot does without one, gui does not.
std::string advice(X11Session::WithoutDisplay policy, bool privateServer) {
    if (privateServer) {
        return "";
    }
    return policy == X11Session::WithoutDisplay::StartPrivateServer
               ? " (unset DISPLAY and screenshot uses a private Xvfb of its own)"
               : ": gui needs a display you can see (check DISPLAY)";
}

} // namespace

X11Session::X11Session(WithoutDisplay policy) {
    std::string name = environmentDisplay();
    if (name.empty()) {
        if (policy == WithoutDisplay::Fail) {
            throw HostError("no X display: DISPLAY is not set");
        }
        server = std::make_unique<PrivateXServer>();
        name = server->displayName();
        setenv("DISPLAY", name.c_str(), 1);
    }
    connection = XOpenDisplay(name.c_str());
    if (connection == nullptr) {
        throw HostError("cannot open X display " + name + advice(policy, server != nullptr));
    }
    sessionDisplay = connection;
    sessionError = false;
    XSetErrorHandler(recordError);
}

X11Session::~X11Session() {
    if (connection != nullptr) {
        XCloseDisplay(connection);
        sessionDisplay = nullptr;
    }
}

bool X11Session::takeError() {
    XSync(connection, False);
    const bool seen = sessionError;
    sessionError = false;
    return seen;
}

} // namespace plughost
