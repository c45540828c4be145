// The plug-in's editor in a top-level window of the Windows host: opened as Windows hosts open it
// (effEditGetRect, then effEditOpen with the window's handle), idled as they idle it, and read
// back from the screen.
#pragma once

#include "tools/winhost/plugininstance.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winhost {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    // 0x00RRGGBB, rows top down.
    std::vector<uint32_t> pixels;
};

// Writes the picture as a binary PPM file (what netpbm's pngtopnm makes of a PNG, so that the two
// compare byte for byte); throws std::runtime_error naming the file when it cannot be written.
void writePpm(const std::string& path, const Picture& picture);

class EditorWindow {
public:
    // Throws std::runtime_error when the plug-in has no editor or it does not open.
    explicit EditorWindow(const PluginInstance& plugin);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // Handles the window's messages and idles the editor about 50 times a second, for
    // `milliseconds`.
    void run(uint32_t milliseconds);
    // What the window shows of the editor.
    Picture capture() const;
    // The editor's child window (the plug-in's frame window).
    HWND editorHandle() const;

private:
    const PluginInstance& plugin;
    HWND window = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

} // namespace winhost
