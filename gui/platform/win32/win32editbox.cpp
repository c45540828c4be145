#include "gui/platform/win32/win32editbox.h"

#include "gui/platform/win32/windowclass.h"
#include "gui/render/fonts.h"

namespace {

HFONT tableFont(const EditBoxLayout& layout) {
    const FontTableEntry& entry = fontTableEntry(layout.fontId);
    // A negative height asks for the character height; the box never uses the bold weight.
    return CreateFontA(-entry.height * layout.scale, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_STRING_PRECIS, CLIP_STROKE_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, entry.face);
}

} // namespace

Win32EditBox::Win32EditBox(HWND parent, const EditBoxLayout& layout, const std::string& text,
                           EditBoxEvents& events, Win32EditBox*& slot)
    : events(events), slot(&slot) {
    control =
        CreateWindowExA(0, "EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_CENTER | ES_AUTOHSCROLL,
                        layout.area.left, layout.area.top, layout.area.width(),
                        layout.area.height(), parent, nullptr, windowclass::module(), nullptr);
    if (control == nullptr) {
        return;
    }
    font = tableFont(layout);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(control, EM_SETLIMITTEXT, EditLine::kMaxLength, 0);
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controlProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32EditBox::procedure)));
    *this->slot = this;
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
}

Win32EditBox::~Win32EditBox() {
    if (slot != nullptr && *slot == this) {
        *slot = nullptr;
    }
    if (control != nullptr) {
        // Detached first: the focus loss that destroying it causes is no end of an edit.
        HWND ours = control;
        detach();
        DestroyWindow(ours);
    }
    if (font != nullptr) {
        DeleteObject(font);
    }
}

void Win32EditBox::detach() {
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure));
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    control = nullptr;
}

void Win32EditBox::abandon() {
    if (control != nullptr) {
        detach();
    }
    if (slot != nullptr && *slot == this) {
        *slot = nullptr;
    }
    slot = nullptr;
}

std::string Win32EditBox::text() const {
    if (control == nullptr) {
        return {};
    }
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32EditBox::deliver() {
    if (finished) {
        finished = false;
        events.editBoxFinished();
    }
}

LRESULT CALLBACK Win32EditBox::procedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<Win32EditBox*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    if (box == nullptr) {
        return DefWindowProcA(control, message, wParam, lParam);
    }
    const bool isReturn = wParam == VK_RETURN;
    if ((message == WM_KEYDOWN && isReturn) || message == WM_KILLFOCUS) {
        box->finished = true;
    }
    // A single-line control answers Return with a beep; it is ours.
    if ((message == WM_KEYDOWN || message == WM_CHAR) && isReturn) {
        return 0;
    }
    return CallWindowProcA(box->controlProcedure, control, message, wParam, lParam);
}
