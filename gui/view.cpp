#include "gui/view.h"

#include "gui/frame.h"

void View::redraw() {
    if (frame != nullptr) {
        frame->drawView(this);
    }
}

void Control::update(DrawContext* context) {
    if (value != oldValue) {
        draw(context);
        oldValue = value;
    }
}

void Control::idleDuringTracking() {
    if (frame != nullptr) {
        frame->runEditorIdle();
    }
}

void Control::notifyListener(DrawContext* context) {
    if (listener != nullptr) {
        listener->valueChanged(context, this);
    }
}
