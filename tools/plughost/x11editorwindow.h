// A top-level X11 window of plughost's own with a plug-in's editor inside it, driven the way a
// host drives one: size asked before and after opening, the window handed over as the parent,
// idle calls, close before the window goes.
#pragma once

#include "tools/common/rgbimage.h"
#include "tools/plughost/pluginhost.h"
#include "tools/plughost/x11session.h"

#include <string>

namespace plughost {

// Throws HostError when the plug-in does not announce an editor.
void requireEditor(const PluginInstance& plugin, const std::string& path);

// "Name (ID)": the plug-in's name, or its file name when it gives none, and its unique id.
std::string editorTitle(const PluginInstance& plugin, const std::string& path);

// The plug-in switched on as a host runs it (sample rate, block size, effMainsChanged 1), and
// off again when this goes.
class SwitchedOn {
public:
    explicit SwitchedOn(const PluginInstance& plugin);
    ~SwitchedOn();
    SwitchedOn(const SwitchedOn&) = delete;
    SwitchedOn& operator=(const SwitchedOn&) = delete;

private:
    const PluginInstance& plugin;
};

struct EditorSize {
    int width = 0;
    int height = 0;
};

class EditorWindow {
public:
    struct Options {
        std::string title;
        // A window the window manager decorates and the user may close; otherwise one the
        // window manager leaves alone at the screen's top left corner (for screenshots).
        bool managed = true;
    };

    // Opens the editor into a new window and shows it. Answers the plug-in's window requests
    // (sizeWindow) through `host` while open. Throws HostError when the editor refuses to open
    // or gives no size.
    EditorWindow(X11Session& session, const PluginInstance& plugin, RecordingHost& host,
                 const Options& options);
    // effEditClose, then the window goes.
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    EditorSize size() const { return current; }
    // effEditIdle, then waits until the server has handled plughost's requests.
    void idle();
    // Handles the window's own events; false once the user has asked to close it or another
    // client has destroyed it.
    bool handleEvents();
    // The window's pixels, the editor's included. Throws HostError when they cannot be read.
    RgbImage capture() const;

private:
    intptr_t answer(const HostRequest& request);
    void create(EditorSize provisional, const Options& options);
    void resize(EditorSize size);
    void showAndWait();
    void release();

    X11Session& session;
    Display* display;
    const PluginInstance& plugin;
    RecordingHost& host;
    Window window = 0;
    Atom deleteWindow = 0;
    EditorSize current;
    bool open = false;
};

} // namespace plughost
