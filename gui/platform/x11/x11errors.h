// What goes wrong on the editor's own X connections stays with them: their protocol errors are
// expected (the host may destroy our window's parent before we hear of it) and are recorded per
// connection, and a connection that breaks (the server killed the client) must not end the host.
// Platform-layer code, used only by the X11 binding; Xlib's display is named by its tag.
#pragma once

struct _XDisplay;

namespace x11errors {

// From now on `display`'s protocol errors are recorded on it and go no further; nothing
// process-wide is changed. Its loss is reported to the exit handler its owner sets on it.
void watch(_XDisplay* display);
// After XCloseDisplay: forgets the display, whose address a later connection may get.
void unwatch(_XDisplay* display);
// Whether a protocol error arrived on `display` since the last call.
bool takeError(_XDisplay* display);

// Xlib reports a broken connection first to the process-wide I/O error handler, whose default
// exits, and only then to the connection's own exit handler. So while a Shield lives (around
// each of our Xlib calls on our connections), a handler that returns for our connections and
// passes the host's on to the handler it replaced is installed; the last Shield to go takes it
// out again, also when another library with this toolkit has put its own on top meanwhile.
// Nothing of ours stays installed beyond our own calls.
class Shield {
public:
    Shield();
    ~Shield();
    Shield(const Shield&) = delete;
    Shield& operator=(const Shield&) = delete;
};

} // namespace x11errors
