#include "gui/platform/headless/headless.h"

#include "gui/platform/headless/headlesseditbox.h"

HeadlessWindow::HeadlessWindow(int32_t width, int32_t height, WindowEvents& events, int32_t factor)
    : scale(factor), pixels(width, height),
      shown(scale.up(pixels.width()), scale.up(pixels.height())), events(events) {}

void HeadlessWindow::present() {
    if (!pixels.hasChanges()) {
        return;
    }
    areas.push_back(scale.enlarge(pixels, pixels.takeChanges(), shown));
    shown.takeChanges();
    ++presents;
}

void HeadlessWindow::processEvents() {
    while (!withdrawn && !pending.empty()) {
        const Event event = pending.front();
        pending.pop_front();
        switch (event.kind) {
        case Event::Expose:
            events.windowExposed();
            break;
        case Event::Press:
            events.windowPressed(scale.down(event.where));
            break;
        case Event::Wheel:
            events.windowWheeled(scale.down(event.where), event.notches, event.modifiers);
            break;
        case Event::Destroy:
            events.windowDestroyed();
            break;
        }
    }
}

std::unique_ptr<EditBox> HeadlessWindow::openEditBox(const EditBoxLayout& layout,
                                                     const std::string& text,
                                                     EditBoxEvents& events) {
    return std::make_unique<HeadlessEditBox>(scale.up(layout), text, events);
}

void HeadlessWindow::withdraw() {
    withdrawn = true;
}

void HeadlessWindow::queueExpose() {
    pending.push_back({Event::Expose, {}});
}

void HeadlessWindow::queuePress(Point where) {
    pending.push_back({Event::Press, where});
}

void HeadlessWindow::queueWheel(Point where, int32_t notches, int32_t modifiers) {
    pending.push_back({Event::Wheel, where, notches, modifiers});
}

void HeadlessWindow::queueDestroy() {
    pending.push_back({Event::Destroy, {}});
}

std::unique_ptr<PlatformWindow> HeadlessPlatform::openWindow(void*, int32_t width, int32_t height,
                                                             int32_t scale, WindowEvents& events) {
    if (refusing) {
        return nullptr;
    }
    auto window = std::make_unique<HeadlessWindow>(width, height, events, scale);
    last = window.get();
    return window;
}
