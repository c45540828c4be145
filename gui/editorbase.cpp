#include "gui/editorbase.h"

#include "gui/platform/pixelscale.h"
#include "gui/platform/platform.h"

namespace {
// Throttle of the idle run from drag loops, in milliseconds.
constexpr uint32_t kIdleInterval = 50;
} // namespace

EditorBase::EditorBase() : EffectEditor(nullptr), lastTicks(currentPlatform().ticks()) {}

EditorBase::~EditorBase() {
    delete frame;
}

int32_t EditorBase::getRect(ERect** out) {
    const auto enlarged = [factor = scale()](int16_t length) {
        return static_cast<int16_t>(length * factor);
    };
    shownRect = {enlarged(rect.top), enlarged(rect.left), enlarged(rect.bottom),
                 enlarged(rect.right)};
    if (out != nullptr) {
        *out = &shownRect;
    }
    return 1;
}

int32_t EditorBase::scale() {
    if (chosenScale == 0) {
        chosenScale = PixelScale(currentPlatform().editorScale(hostScale)).factor();
    }
    return chosenScale;
}

int32_t EditorBase::open(void* window) {
    if (frame != nullptr) {
        close();
    }
    postUpdate();
    EffectEditor::open(window);
    return 0;
}

void EditorBase::close() {
    if (frame != nullptr && frame->isHandlingEvents()) {
        frame->withdraw();
        withdrawnFrames.emplace_back(frame);
    } else {
        delete frame;
    }
    frame = nullptr;
    chosenScale = 0;
}

void EditorBase::idle() {
    ++idleNesting;
    if (frame != nullptr) {
        frame->processEvents();
    }
    EffectEditor::idle();
    if (frame != nullptr) {
        frame->idle();
    }
    if (--idleNesting == 0) {
        withdrawnFrames.clear();
    }
}

void EditorBase::draw(ERect*) {
    if (frame != nullptr) {
        frame->drawView(nullptr);
    }
}

void EditorBase::idleThrottled() {
    const uint32_t now = currentPlatform().ticks();
    // The difference stays right when the counter wraps around.
    if (now - lastTicks < kIdleInterval) {
        return;
    }
    lastTicks = now;
    idle();
    idleHost();
}

bool EditorBase::openFrame(const Rect& size, void* parentWindow) {
    frame = new Frame(size, parentWindow, this, scale());
    if (!frame->isOpen()) {
        delete frame;
        frame = nullptr;
    }
    return frame != nullptr;
}
