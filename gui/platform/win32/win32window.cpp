#include "gui/platform/win32/win32window.h"

#include "gui/platform/win32/windowclass.h"

#include <utility>

namespace {

constexpr int32_t kWheelNotch = 120;

bool held(int key) {
    // The high bit is set while the key or button is down.
    return GetAsyncKeyState(key) < 0;
}

// The live state of the buttons and modifier keys, as MouseBits.
int32_t liveButtons() {
    int32_t bits = 0;
    bits |= held(VK_LBUTTON) ? ButtonLeft : 0;
    bits |= held(VK_MBUTTON) ? ButtonMiddle : 0;
    bits |= held(VK_RBUTTON) ? ButtonRight : 0;
    bits |= held(VK_SHIFT) ? ModShift : 0;
    bits |= held(VK_CONTROL) ? ModControl : 0;
    bits |= held(VK_MENU) ? ModAlt : 0;
    return bits;
}

// The modifiers a mouse message carries (Alt is not among them, so it is asked for).
int32_t messageModifiers(WPARAM wParam) {
    int32_t bits = 0;
    bits |= (wParam & MK_SHIFT) != 0 ? ModShift : 0;
    bits |= (wParam & MK_CONTROL) != 0 ? ModControl : 0;
    bits |= GetKeyState(VK_MENU) < 0 ? ModAlt : 0;
    return bits;
}

int32_t messageButtons(WPARAM wParam) {
    int32_t bits = messageModifiers(wParam);
    bits |= (wParam & MK_LBUTTON) != 0 ? ButtonLeft : 0;
    bits |= (wParam & MK_MBUTTON) != 0 ? ButtonMiddle : 0;
    bits |= (wParam & MK_RBUTTON) != 0 ? ButtonRight : 0;
    return bits;
}

// A button message's position: two unsigned 16-bit halves.
Point messagePoint(LPARAM lParam) {
    const auto bits = static_cast<uint32_t>(lParam);
    return {static_cast<int32_t>(bits & 0xffffu), static_cast<int32_t>(bits >> 16)};
}

} // namespace

Win32Window::Win32Window(int32_t width, int32_t height, int32_t factor, WindowEvents& events)
    : scale(factor), pixels(width, height), events(events) {
    if (scale.factor() > 1) {
        enlarged = Surface(scale.up(pixels.width()), scale.up(pixels.height()));
    }
}

Win32Window::~Win32Window() {
    if (editBox != nullptr) {
        editBox->abandon();
    }
    destroy();
    if (registered) {
        windowclass::release();
    }
}

bool Win32Window::create(HWND parent) {
    const wchar_t* className = windowclass::acquire(&Win32Window::procedure);
    registered = className != nullptr;
    if (!registered || parent == nullptr || IsWindow(parent) == FALSE) {
        return false;
    }
    const Surface& shown = shownPixels();
    window = CreateWindowExW(0, className, L"Window", WS_CHILD | WS_VISIBLE, 0, 0, shown.width(),
                             shown.height(), parent, nullptr, windowclass::module(), nullptr);
    if (window == nullptr) {
        return false;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    alive = true;
    return true;
}

void Win32Window::destroy() {
    if (window != nullptr && alive) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    alive = false;
}

void Win32Window::present() {
    Rect area = pixels.takeChanges();
    if (!alive || area.right <= area.left) {
        return;
    }
    if (scale.factor() > 1) {
        area = scale.enlarge(pixels, area, enlarged);
        enlarged.takeChanges();
    }
    if (HDC context = GetDC(window)) {
        blit(context, area);
        ReleaseDC(window, context);
    }
}

void Win32Window::blit(HDC context, const Rect& area) {
    const Surface& shown = shownPixels();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shown.width();
    info.bmiHeader.biHeight = -shown.height(); // rows top down, as the surface keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // The whole surface goes out, clipped to the area: no arithmetic on a top-down bitmap's rows.
    const int saved = SaveDC(context);
    IntersectClipRect(context, area.left, area.top, area.right, area.bottom);
    SetDIBitsToDevice(context, 0, 0, static_cast<DWORD>(shown.width()),
                      static_cast<DWORD>(shown.height()), 0, 0, 0,
                      static_cast<UINT>(shown.height()), shown.data(), &info, DIB_RGB_COLORS);
    RestoreDC(context, saved);
}

void Win32Window::processEvents() {
    if (editBox != nullptr) {
        editBox->deliver();
    }
    while (!pending.empty()) {
        const Event event = pending.front();
        pending.pop_front();
        deliver(event);
    }
}

void Win32Window::deliver(const Event& event) {
    switch (event.kind) {
    case Event::Expose:
        events.windowExposed();
        break;
    case Event::Press:
        pressState = event.bits;
        events.windowPressed(event.where);
        pressState = 0;
        break;
    case Event::Wheel:
        events.windowWheeled(event.where, event.notches, event.bits);
        break;
    case Event::Destroy:
        events.windowDestroyed();
        break;
    }
}

int32_t Win32Window::mouseButtons() {
    if (!alive) {
        return 0;
    }
    // Presses wait for the editor's idle, so a short click may be over before its press is
    // handled: the first question asked about a press is answered with the press's own state.
    if (pressState != 0) {
        return std::exchange(pressState, 0);
    }
    return liveButtons();
}

Point Win32Window::mouseLocation() {
    POINT pointer{};
    if (!alive || GetCursorPos(&pointer) == FALSE || ScreenToClient(window, &pointer) == FALSE) {
        return {};
    }
    return scale.down({pointer.x, pointer.y});
}

std::unique_ptr<EditBox> Win32Window::openEditBox(const EditBoxLayout& layout,
                                                  const std::string& text, EditBoxEvents& events) {
    if (!alive) {
        return nullptr;
    }
    return std::make_unique<Win32EditBox>(window, scale.up(layout), text, events, editBox);
}

void Win32Window::withdraw() {
    destroy();
    pending.clear();
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        if (message == WM_PAINT) {
            PAINTSTRUCT paint{};
            if (HDC context = BeginPaint(window, &paint)) {
                self->blit(context, {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                                     paint.rcPaint.bottom});
                EndPaint(window, &paint);
            }
        }
        self->handle(message, wParam, lParam);
        if (message == WM_PAINT) {
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        // What the surface holds is on the screen already; the frame paints it anew at its idle.
        if (pending.empty() || pending.back().kind != Event::Expose) {
            pending.push_back({Event::Expose, {}});
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        pending.push_back({Event::Press, scale.down(messagePoint(lParam)), messageButtons(wParam)});
        break;
    case WM_MOUSEWHEEL:
        queueWheel(wParam, lParam);
        break;
    case WM_DESTROY:
        alive = false;
        pending.push_back({Event::Destroy, {}});
        break;
    default:
        break;
    }
}

void Win32Window::queueWheel(WPARAM wParam, LPARAM lParam) {
    wheelRemainder += static_cast<int16_t>(HIWORD(wParam));
    const int32_t notches = wheelRemainder / kWheelNotch;
    wheelRemainder -= notches * kWheelNotch;
    if (notches == 0) {
        return;
    }
    // A wheel message's position is on the screen, in signed halves.
    POINT where{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    ScreenToClient(window, &where);
    pending.push_back(
        {Event::Wheel, scale.down({where.x, where.y}), messageModifiers(LOWORD(wParam)), notches});
}
