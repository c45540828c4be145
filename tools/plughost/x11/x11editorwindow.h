// A top-level X11 window of plughost's own with a plug-in's editor inside it, driven the way a
// host drives one: size asked before and after opening, the window handed over as the parent,
// idle calls, close before the window goes. The editor may be of either format.
#pragma once

#include "tools/common/rgbimage.h"
#include "tools/plughost/formats/embeddededitor.h"
#include "tools/plughost/x11/x11session.h"

#include <string>

namespace plughost {

class EditorWindow {
public:
    struct Options {
        std::string title;
        // A window the window manager decorates and the user may close; otherwise one the
        // window manager leaves alone at the screen's top left corner (for screenshots).
        bool managed = true;
    };

    // Opens the editor into a new window and shows it, resizing the window as the editor asks.
    // Throws HostError when the editor refuses to open or gives no size.
    EditorWindow(X11Session& session, EmbeddedEditor& editor, const Options& options);
    // The editor closes, then the window goes.
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    EditorSize size() const { return current; }
    // The editor's idle, then waits until the server has handled plughost's requests; false once
    // the editor has closed itself.
    bool idle();
    // Handles the window's own events; false once the user has asked to close it or another
    // client has destroyed it.
    bool handleEvents();
    // The window's pixels, the editor's included. Throws HostError when they cannot be read.
    RgbImage capture() const;

private:
    bool resizeAsAsked(EditorSize size);
    void create(EditorSize provisional, const Options& options);
    void resize(EditorSize size);
    void showAndWait();
    void release();

    X11Session& session;
    Display* display;
    EmbeddedEditor& editor;
    Window window = 0;
    Atom deleteWindow = 0;
    EditorSize current;
    bool open = false;
};

} // namespace plughost
