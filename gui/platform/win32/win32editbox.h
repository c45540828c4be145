// The edit box on Windows: a single-line EDIT control, a child of the frame window over the text
// field, in the font table's face. Return and the loss of the keyboard focus end the edit; the end
// is reported when the frame window's events are next handled, as on X11.
#pragma once

#include "gui/platform/editbox.h"

#include <windows.h>

#include <string>

class Win32EditBox : public EditBox {
public:
    // Opens over `layout.area` of `parent` with the keyboard focus and all of `text` selected,
    // and fills `slot` (the frame window's record of its open box) while it lives.
    Win32EditBox(HWND parent, const EditBoxLayout& layout, const std::string& text,
                 EditBoxEvents& events, Win32EditBox*& slot);
    ~Win32EditBox() override;
    Win32EditBox(const Win32EditBox&) = delete;
    Win32EditBox& operator=(const Win32EditBox&) = delete;

    std::string text() const override;
    // Reports the end of the edit if it has come; the report usually destroys the box.
    void deliver();
    // The frame window is going, and the control with it: the box lets both be.
    void abandon();

private:
    // Gives the control its own window procedure back and forgets it.
    void detach();
    static LRESULT CALLBACK procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

    HWND control = nullptr;
    HFONT font = nullptr;
    WNDPROC controlProcedure = nullptr;
    EditBoxEvents& events;
    Win32EditBox** slot;
    bool finished = false;
};
