#include "tools/winhost/editorwindow.h"

#include <fstream>
#include <stdexcept>

namespace winhost {
namespace {

constexpr const wchar_t* kClassName = L"WinhostEditor";
constexpr DWORD kIdleInterval = 20;

const wchar_t* hostClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    return registered ? kClassName : nullptr;
}

} // namespace

EditorWindow::EditorWindow(const PluginInstance& plugin) : plugin(plugin) {
    ERect* rect = nullptr;
    if ((plugin.record().flags & effFlagsHasEditor) == 0 ||
        plugin.dispatch(effEditGetRect, 0, 0, static_cast<void*>(&rect)) == 0 || rect == nullptr) {
        throw std::runtime_error("the plug-in has no editor");
    }
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    // The window's outer size that gives a client area of the editor's size.
    RECT outer{0, 0, width, height};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRect(&outer, style, FALSE);
    window = CreateWindowExW(0, hostClass(), L"winhost", style, 0, 0, outer.right - outer.left,
                             outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    if (window == nullptr) {
        throw std::runtime_error("cannot make a window for the editor");
    }
    ShowWindow(window, SW_SHOWNORMAL);
    plugin.dispatch(effEditOpen, 0, 0, window);
    if (editorHandle() == nullptr) {
        DestroyWindow(window);
        throw std::runtime_error("the editor did not open");
    }
}

EditorWindow::~EditorWindow() {
    plugin.dispatch(effEditClose);
    DestroyWindow(window);
}

HWND EditorWindow::editorHandle() const {
    return GetWindow(window, GW_CHILD);
}

void EditorWindow::run(uint32_t milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        plugin.dispatch(effEditIdle);
        Sleep(kIdleInterval);
    }
}

Picture EditorWindow::capture() const {
    Picture picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && bits != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* from = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < picture.pixels.size(); ++i) {
            picture.pixels[i] = from[i] & 0xffffffu;
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return picture;
}

void writePpm(const std::string& path, const Picture& picture) {
    std::string bytes =
        "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    for (uint32_t pixel : picture.pixels) {
        bytes.push_back(static_cast<char>(pixel >> 16));
        bytes.push_back(static_cast<char>(pixel >> 8));
        bytes.push_back(static_cast<char>(pixel));
    }
    std::ofstream file(path, std::ios::binary);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace winhost
