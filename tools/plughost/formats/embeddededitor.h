// A plug-in's editor as plughost's window embeds it, whatever the plug-in's format: asked for its
// size, opened into a window of plughost's, idled and closed, asking plughost to resize the window
// as it likes.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <optional>

namespace plughost {

struct EditorSize {
    int width = 0;
    int height = 0;
};

class EmbeddedEditor {
public:
    // Asked by the editor while it is open; true when the window took the size.
    using SizeRequest = std::function<bool(EditorSize)>;

    virtual ~EmbeddedEditor() = default;

    // The size the editor gives now; nothing when it gives none (some know it only once open).
    virtual std::optional<EditorSize> size() = 0;
    // Opens the editor into `parent`. Throws HostError when it refuses.
    virtual void open(Window parent, SizeRequest resize) = 0;
    // One idle pass, as a host's loop makes it; false once the editor has closed itself.
    virtual bool idle() = 0;
    // Closes an open editor; nothing otherwise.
    virtual void close() = 0;
};

} // namespace plughost
