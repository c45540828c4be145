#include "gui/platform/win32/windowclass.h"

#include "frame/module.h"

#include <cstdint>
#include <cwchar>
#include <mutex>

namespace {

std::mutex lock;
int windows = 0;
wchar_t name[32] = {};

HINSTANCE module() {
    return static_cast<HINSTANCE>(moduleHandle);
}

} // namespace

namespace windowclass {

const wchar_t* acquire(WNDPROC procedure) {
    const std::lock_guard guard(lock);
    if (windows == 0) {
        // Named after the module, so that two copies of the plug-in in one host keep apart.
        std::swprintf(name, sizeof name / sizeof name[0], L"Plugin%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleHandle)));
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = module();
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = name;
        if (RegisterClassW(&windowClass) == 0) {
            return nullptr;
        }
    }
    ++windows;
    return name;
}

void release() {
    const std::lock_guard guard(lock);
    if (windows > 0 && --windows == 0) {
        UnregisterClassW(name, module());
    }
}

} // namespace windowclass
