#include "gui/platform/headless/headlesseditbox.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {
// Open boxes, oldest first.
std::vector<HeadlessEditBox*>& openBoxes() {
    static std::vector<HeadlessEditBox*> boxes;
    return boxes;
}
} // namespace

HeadlessEditBox::HeadlessEditBox(const EditBoxLayout& layout, std::string text,
                                 EditBoxEvents& events)
    : placement(layout), line(std::move(text)), events(events) {
    openBoxes().push_back(this);
}

HeadlessEditBox::~HeadlessEditBox() {
    std::erase(openBoxes(), this);
}

HeadlessEditBox* HeadlessEditBox::current() {
    return openBoxes().empty() ? nullptr : openBoxes().back();
}

void HeadlessEditBox::type(std::string_view characters) {
    for (char character : characters) {
        line.type(character);
    }
}

void HeadlessEditBox::press(EditLine::Key key) {
    line.press(key);
}

void HeadlessEditBox::pressReturn() {
    events.editBoxFinished();
}

void HeadlessEditBox::loseFocus() {
    events.editBoxFinished();
}
