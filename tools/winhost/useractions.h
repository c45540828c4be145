// What a person does to the editor, played with real input (SendInput, SetCursorPos) from a thread
// of its own while the host's thread handles the window's messages and idles the editor, as a
// person's hand and a host's loop run side by side.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace winhost {

struct UserAction {
    enum Kind { Click, Drag, Type, Wheel } kind;
    // In the editor's pixels.
    int x = 0;
    int y = 0;
    // Drag: how far the pointer moves up (down when negative) with the left button held; wheel:
    // how many notches the wheel turns up (down when negative).
    int rise = 0;
    // Type: the keys typed after a click at (x, y), Return after them.
    std::string text;
};

// "click:X,Y", "drag:X,Y,RISE", "type:X,Y,TEXT" or "wheel:X,Y,NOTCHES"; throws std::runtime_error
// naming the text otherwise.
UserAction parseUserAction(std::string_view text);

// Plays the actions on the editor's window `editor`, one after another with pauses between them;
// returns when all are done.
void playUserActions(HWND editor, const std::vector<UserAction>& actions);

} // namespace winhost
