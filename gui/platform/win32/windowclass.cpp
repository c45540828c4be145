#include "gui/platform/win32/windowclass.h"

#include <cstdint>
#include <cwchar>
#include <mutex>

namespace {

std::mutex lock;
int windows = 0;
wchar_t name[32] = {};

} // namespace

namespace windowclass {

HINSTANCE module() {
    // Asked of the loader by an address in the module: the toolkit sees nothing of the frame.
    HMODULE found = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowclass::module), &found);
    return found;
}

const wchar_t* acquire(WNDPROC procedure) {
    const std::lock_guard guard(lock);
    if (windows == 0) {
        // Named after the module, so that two copies of the plug-in in one host keep apart.
        std::swprintf(name, sizeof name / sizeof name[0], L"Plugin%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(module())));
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
