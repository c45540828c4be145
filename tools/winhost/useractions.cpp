#include "tools/winhost/useractions.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace winhost {
namespace {

// Long enough for the host's idle (every 20 ms) to notice each step.
constexpr DWORD kStepPause = 60;
constexpr DWORD kActionPause = 400;
constexpr int kDragSteps = 10;

std::runtime_error badAction(std::string_view text) {
    return std::runtime_error("bad action '" + std::string(text) +
                              "' (click:X,Y, drag:X,Y,RISE, type:X,Y,TEXT or wheel:X,Y,NOTCHES)");
}

// The next comma-separated whole number of `rest`, which moves past it.
int nextNumber(std::string_view& rest, std::string_view text) {
    const size_t comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);
    int value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc{} || end != field.data() + field.size()) {
        throw badAction(text);
    }
    rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    return value;
}

void sendMouse(DWORD flags, int wheelDelta = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(wheelDelta);
    SendInput(1, &input, sizeof input);
    Sleep(kStepPause);
}

void sendKey(WORD key) {
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
    Sleep(kStepPause);
}

void pointAt(HWND editor, int x, int y) {
    POINT where{x, y};
    ClientToScreen(editor, &where);
    SetCursorPos(where.x, where.y);
    Sleep(kStepPause);
}

void click(HWND editor, const UserAction& action) {
    pointAt(editor, action.x, action.y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

void drag(HWND editor, const UserAction& action) {
    pointAt(editor, action.x, action.y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= kDragSteps; ++step) {
        pointAt(editor, action.x, action.y - action.rise * step / kDragSteps);
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
}

void type(HWND editor, const UserAction& action) {
    click(editor, action);
    Sleep(kActionPause);
    for (const char character : action.text) {
        sendKey(static_cast<WORD>(LOBYTE(VkKeyScanA(character))));
    }
    sendKey(VK_RETURN);
}

void turnWheel(HWND editor, const UserAction& action) {
    pointAt(editor, action.x, action.y);
    const int step = action.rise < 0 ? -WHEEL_DELTA : WHEEL_DELTA;
    for (int notch = 0; notch < std::abs(action.rise); ++notch) {
        sendMouse(MOUSEEVENTF_WHEEL, step);
    }
}

} // namespace

UserAction parseUserAction(std::string_view text) {
    const size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
    UserAction action{UserAction::Click, 0, 0, 0, {}};
    if (kind == "drag") {
        action.kind = UserAction::Drag;
    } else if (kind == "type") {
        action.kind = UserAction::Type;
    } else if (kind == "wheel") {
        action.kind = UserAction::Wheel;
    } else if (kind != "click") {
        throw badAction(text);
    }
    action.x = nextNumber(rest, text);
    action.y = nextNumber(rest, text);
    if (action.kind == UserAction::Drag || action.kind == UserAction::Wheel) {
        action.rise = nextNumber(rest, text);
    }
    if (action.kind == UserAction::Type) {
        action.text = rest;
    } else if (!rest.empty()) {
        throw badAction(text);
    }
    return action;
}

void playUserActions(HWND editor, const std::vector<UserAction>& actions) {
    for (const UserAction& action : actions) {
        Sleep(kActionPause);
        switch (action.kind) {
        case UserAction::Click:
            click(editor, action);
            break;
        case UserAction::Drag:
            drag(editor, action);
            break;
        case UserAction::Type:
            type(editor, action);
            break;
        case UserAction::Wheel:
            turnWheel(editor, action);
            break;
        }
    }
    Sleep(kActionPause);
}

} // namespace winhost
