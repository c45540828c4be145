// The single-line text entry a text field opens over itself while the user types. The platform
// window makes it (X11: a small child window of our own; headless: a plain object tests type
// into); the editing rules live in EditLine so that every box behaves alike.
#pragma once

#include "gui/geometry.h"

#include <cstdint>
#include <string>

// Where the box goes and how it shows its text.
struct EditBoxLayout {
    // In the frame window's pixels.
    Rect area;
    // Font table entry; drawn at the table's height times `scale`, never bold.
    int32_t fontId = 0;
    // The window's enlargement (PixelScale); `area` is in its pixels already.
    int32_t scale = 1;
};

class EditBoxEvents {
public:
    // Return was pressed, or the box lost the keyboard focus. The handler may destroy the box;
    // the box does nothing after calling it.
    virtual void editBoxFinished() = 0;

protected:
    ~EditBoxEvents() = default;
};

class EditBox {
public:
    virtual ~EditBox() = default;
    // What the box holds now.
    virtual std::string text() const = 0;
};

// A line of text with a caret. On opening the whole text is selected, so that typing replaces it;
// any editing key ends the selection.
class EditLine {
public:
    enum Key { Backspace, Delete, Left, Right, Home, End };
    // A line grows no longer than this; the field keeps fewer characters still.
    static constexpr size_t kMaxLength = 1024;

    explicit EditLine(std::string text);

    // A printable character (a byte of 32 or more, other than 127) at the caret; others are
    // ignored.
    void type(char character);
    void press(Key key);

    const std::string& text() const { return line; }
    size_t caret() const { return caretAt; }
    bool allSelected() const { return selected; }

private:
    // Removes the selected text, if any; true if there was some.
    bool eraseSelection();

    std::string line;
    size_t caretAt;
    bool selected;
};
