#include "frame/effecteditor.h"

int32_t EffectEditor::getRect(ERect** rect) {
    if (rect != nullptr) {
        *rect = nullptr;
    }
    return 0;
}

int32_t EffectEditor::open(void* window) {
    systemWindow = window;
    return 0;
}

void EffectEditor::idle() {
    if (updateFlag != 0) {
        updateFlag = 0;
        update();
    }
}
