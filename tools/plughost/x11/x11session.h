// The X display a command opens windows on: the user's ($DISPLAY) or, for commands that need no
// user to look, a private Xvfb started for the run. X errors on the connection are recorded
// instead of ending the program.
#pragma once

#include "tools/common/x11server.h"

#include <X11/Xlib.h>

#include <memory>
#include <string>

namespace plughost {

class X11Session {
public:
    enum class WithoutDisplay { Fail, StartPrivateServer };

    // Throws HostError when no display can be had. A private server's name is put in DISPLAY,
    // where plug-ins look for it.
    explicit X11Session(WithoutDisplay policy);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    Display* display() const { return connection; }
    // Whether an X error arrived on this connection since the last call; XSyncs first.
    bool takeError();

private:
    std::unique_ptr<PrivateXServer> server;
    Display* connection = nullptr;
};

} // namespace plughost
