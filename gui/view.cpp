#include "gui/view.h"

void View::redraw() {
    if (holder != nullptr) {
        holder->drawView(this);
    }
}

void Control::update(DrawContext* context) {
    if (value != oldValue) {
        draw(context);
        oldValue = value;
    }
}

void Control::idleDuringTracking() {
    if (holder != nullptr) {
        holder->runEditorIdle();
    }
}

Control::EditGesture::EditGesture(Control& control) : control(control) {
    if (control.listener != nullptr) {
        control.listener->beginEdit(&control);
    }
}

Control::EditGesture::~EditGesture() {
    if (control.listener != nullptr) {
        control.listener->endEdit(&control);
    }
}

void Control::notifyListener(DrawContext* context) {
    if (listener != nullptr) {
        listener->valueChanged(context, this);
    }
}
