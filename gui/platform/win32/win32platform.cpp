// The Windows platform: frame windows as children of the host's window, the system's millisecond
// tick, and the editor's scale from the screen's dpi.
#include "gui/platform/pixelscale.h"
#include "gui/platform/platform.h"
#include "gui/platform/win32/win32window.h"

#include <windows.h>

namespace {

// The system's dpi: GetDpiForSystem where Windows has it (10 and later; looked up, so that the
// DLL still loads on older ones), else the screen's logical pixels per inch.
double systemDpi() {
    using DpiQuery = UINT(WINAPI*)();
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
        if (FARPROC found = GetProcAddress(user, "GetDpiForSystem")) {
            // NOLINTNEXTLINE(bugprone-casting-through-void): a looked-up entry has no other type
            return reinterpret_cast<DpiQuery>(reinterpret_cast<void*>(found))();
        }
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 0.0;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

class Win32Platform : public Platform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void* parent, int32_t width, int32_t height,
                                               int32_t scale, WindowEvents& events) override {
        auto window = std::make_unique<Win32Window>(width, height, scale, events);
        if (!window->create(static_cast<HWND>(parent))) {
            return nullptr;
        }
        return window;
    }

    // The desktop's part is what the screen's dpi asks for.
    int32_t editorScale(int32_t hostScale) override {
        return chosenScale(hostScale, [] { return scaleFromDpi(systemDpi()); });
    }

    uint32_t ticks() override { return GetTickCount(); }
};

} // namespace

Platform& nativePlatform() {
    static Win32Platform platform;
    return platform;
}
