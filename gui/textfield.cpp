#include "gui/textfield.h"

#include "gui/drawcontext.h"
#include "gui/platform/platform.h"

#include <cstring>
#include <string>

namespace {

// Copies at most `limit` characters of `source` into `target` and terminates it.
void copyText(char* target, const char* source, size_t limit) {
    const size_t length = strnlen(source, limit);
    memcpy(target, source, length);
    target[length] = '\0';
}

} // namespace

TextField::TextField(const Rect& size, ControlListener* listener, int32_t tag, const char* text,
                     Bitmap* background, int32_t style)
    : ValueDisplay(size, background, style) {
    this->listener = listener;
    this->tag = tag;
    if (text != nullptr) {
        copyText(this->text, text, kDisplayTextSize - 1);
    }
}

TextField::~TextField() = default;

void TextField::setText(const char* newText) {
    if (newText == nullptr) {
        return;
    }
    copyText(text, newText, kDisplayTextSize - 1);
    oldValue = value == 0.0f ? 1.0f : 0.0f;
}

void TextField::getText(char* buffer) const {
    if (buffer != nullptr) {
        copyText(buffer, text, kDisplayTextSize - 1);
    }
}

void TextField::setTextConverter(TextToText converter) {
    textConverter = converter;
}

void TextField::composeText(char* shown) const {
    if (textConverter != nullptr) {
        textConverter(text, shown);
        shown[kDisplayTextSize - 1] = '\0';
    } else {
        copyText(shown, text, kDisplayTextSize - 1);
    }
}

void TextField::mouse(DrawContext* context, Point&) {
    if (!mouseEnabled || holder == nullptr || context == nullptr ||
        context->getMouseButtons() != ButtonLeft || holder->getEditView() == this) {
        return;
    }
    holder->setEditView(this);
    takeFocus();
}

PlatformWindow* TextField::holderWindow() const {
    return holder != nullptr ? holder->getPlatformWindow() : nullptr;
}

void TextField::takeFocus() {
    PlatformWindow* window = holderWindow();
    if (editBox == nullptr && window != nullptr) {
        // The box covers the field's outline too.
        const EditBoxLayout layout{size.outlined(), getFont()};
        editBox = window->openEditBox(layout, text, *this);
    }
    if (editBox == nullptr && holder != nullptr && holder->getEditView() == this) {
        holder->setEditView(nullptr);
    }
}

void TextField::editBoxFinished() {
    loseFocus();
}

void TextField::loseFocus() {
    if (editBox == nullptr) {
        return;
    }
    const std::string oldText = text;
    const std::string typed = editBox->text();
    copyText(text, typed.c_str(), kMaxCommittedLength);
    // Gone before anybody hears of the commit, so that nothing can commit it twice.
    editBox.reset();
    if (holder != nullptr && holder->getEditView() == this) {
        holder->setEditView(nullptr);
    }
    finishCommit(oldText != text);
}

void TextField::finishCommit(bool changed) {
    PlatformWindow* window = holderWindow();
    {
        DrawContext context(holder, window != nullptr ? &window->surface() : nullptr, window);
        if (changed) {
            notifyListener(&context);
        }
        draw(&context);
    }
    if (holderWindow() != nullptr) {
        window->present();
    }
}
