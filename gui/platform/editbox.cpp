#include "gui/platform/editbox.h"

#include <algorithm>
#include <utility>

EditLine::EditLine(std::string text)
    : line(std::move(text)), caretAt(line.size()), selected(!line.empty()) {}

bool EditLine::eraseSelection() {
    if (!selected) {
        return false;
    }
    selected = false;
    line.clear();
    caretAt = 0;
    return true;
}

void EditLine::type(char character) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 32 || byte == 127) {
        return;
    }
    eraseSelection();
    if (line.size() < kMaxLength) {
        line.insert(caretAt, 1, character);
        ++caretAt;
    }
}

void EditLine::press(Key key) {
    if (key == Backspace || key == Delete) {
        if (eraseSelection()) {
            return;
        }
        if (key == Backspace && caretAt > 0) {
            line.erase(--caretAt, 1);
        } else if (key == Delete && caretAt < line.size()) {
            line.erase(caretAt, 1);
        }
        return;
    }
    // Left and Right from a selection land on its start and end.
    const bool hadSelection = selected;
    selected = false;
    switch (key) {
    case Left:
        caretAt = hadSelection || caretAt == 0 ? 0 : caretAt - 1;
        break;
    case Right:
        caretAt = hadSelection ? line.size() : std::min(caretAt + 1, line.size());
        break;
    case Home:
        caretAt = 0;
        break;
    default:
        caretAt = line.size();
        break;
    }
}
