// The edit box on X11: a small child window of our own over the text field, drawn with the
// toolkit's raster and fonts. Platform-layer code, used only by the X11 binding; the Xlib types
// are named by their tags so that this header does not pull in Xlib.
#pragma once

#include "gui/platform/editbox.h"
#include "gui/render/surface.h"

#include <string>

struct _XDisplay;
struct _XGC;
struct _XImage;
union _XEvent;

class X11EditBox : public EditBox {
public:
    // Opens on the frame window's connection as a child of `parent`, takes the keyboard focus,
    // and fills `slot` (the frame window's record of its open box) while it lives.
    X11EditBox(_XDisplay* display, unsigned long parent, const EditBoxLayout& layout,
               const std::string& text, EditBoxEvents& events, X11EditBox*& slot);
    ~X11EditBox() override;
    X11EditBox(const X11EditBox&) = delete;
    X11EditBox& operator=(const X11EditBox&) = delete;

    std::string text() const override { return line.text(); }

    // Handles `event` if it is the box's (keys, focus loss, exposure) and says whether it was.
    // Return and focus loss end the edit, which usually destroys the box before this returns.
    bool handle(const _XEvent& event);
    // The connection is closing: from now on the box leaves the server alone.
    void abandon();

private:
    void handleKey(const _XEvent& event);
    // Draws the line, the caret or the selection, and shows it.
    void paint();
    // Where the line starts: centred when it fits, else scrolled to keep the caret in view.
    int32_t lineOrigin(int32_t lineWidth, int32_t caretOffset);

    _XDisplay* display;
    unsigned long window = 0;
    _XGC* gc = nullptr;
    _XImage* image = nullptr;
    Surface pixels;
    int32_t fontId;
    // In the box's pixels, enlarged with the window: the text's height and the caret's width.
    int32_t textHeight;
    int32_t caretWidth;
    EditLine line;
    EditBoxEvents& events;
    X11EditBox*& slot;
    int32_t scroll = 0;
};
