// The edit box of the headless platform: no window, just the line, which tests type into and
// end with Return or a loss of focus as a user would.
#pragma once

#include "gui/platform/editbox.h"

#include <string_view>

class HeadlessEditBox : public EditBox {
public:
    HeadlessEditBox(const EditBoxLayout& layout, std::string text, EditBoxEvents& events);
    ~HeadlessEditBox() override;
    HeadlessEditBox(const HeadlessEditBox&) = delete;
    HeadlessEditBox& operator=(const HeadlessEditBox&) = delete;

    std::string text() const override { return line.text(); }
    const EditLine& editLine() const { return line; }
    const EditBoxLayout& layout() const { return placement; }

    // Each character as a key press.
    void type(std::string_view characters);
    void press(EditLine::Key key);
    // These two end the edit; the box is usually gone when they return.
    void pressReturn();
    void loseFocus();

    // The box opened last and still open, or null.
    static HeadlessEditBox* current();

private:
    EditBoxLayout placement;
    EditLine line;
    EditBoxEvents& events;
};
