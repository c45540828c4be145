// A value display that shows and edits a stored text. A plain left click opens an edit box
// exactly over the field; Return, a loss of focus, a press elsewhere in the frame or the frame's
// deletion commit the typed text, and the listener hears of it only when the text changed.
#pragma once

#include "gui/platform/editbox.h"
#include "gui/valuedisplay.h"

#include <cstdint>
#include <memory>

class PlatformWindow;

// Writes the text to show for `stored` into `text` (kDisplayTextSize bytes, empty on entry).
using TextToText = void (*)(const char* stored, char* text);

class TextField : public ValueDisplay, private EditBoxEvents {
public:
    // A commit keeps at most this many typed characters.
    static constexpr int32_t kMaxCommittedLength = 254;

    // `text` may be null (empty).
    TextField(const Rect& size, ControlListener* listener, int32_t tag, const char* text,
              Bitmap* background, int32_t style);
    ~TextField() override;

    // Exactly the left button, no modifier: opens the edit box, unless it is open already.
    void mouse(DrawContext* context, Point& where) override;
    // Commits and closes the edit box, if one is open.
    void loseFocus() override;
    void takeFocus() override;

    // Ignores null; a longer text keeps its first 255 characters. Marks the field for redraw.
    virtual void setText(const char* text);
    // Copies the stored text into `buffer` (kDisplayTextSize bytes); ignores null.
    virtual void getText(char* buffer) const;
    virtual void setTextConverter(TextToText converter);

    // The open edit box, or null.
    EditBox* getEditBox() const { return editBox.get(); }

private:
    // The stored text, through the text converter when there is one.
    void composeText(char* shown) const override;
    void editBoxFinished() override;
    // The holder's window while it is open, else null.
    PlatformWindow* holderWindow() const;
    // Shows the result of an edit, and tells the listener when the text changed.
    void finishCommit(bool changed);

    std::unique_ptr<EditBox> editBox;
    char text[kDisplayTextSize] = {};
    TextToText textConverter = nullptr;
};
