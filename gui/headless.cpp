#include "gui/headless.h"

#include "gui/headlesseditbox.h"

#include <algorithm>

HeadlessWindow::HeadlessWindow(int32_t width, int32_t height, WindowEvents& events)
    : pixels(width, height), shown(width, height), events(events) {}

void HeadlessWindow::present() {
    if (!pixels.hasChanges()) {
        return;
    }
    const Rect area = pixels.takeChanges();
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint32_t* from = pixels.data() + static_cast<size_t>(y) * pixels.width();
        std::copy(from + area.left, from + area.right,
                  shown.data() + static_cast<size_t>(y) * shown.width() + area.left);
    }
    areas.push_back(area);
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
            events.windowPressed(event.where);
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
    return std::make_unique<HeadlessEditBox>(layout, text, events);
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

void HeadlessWindow::queueDestroy() {
    pending.push_back({Event::Destroy, {}});
}

std::unique_ptr<PlatformWindow> HeadlessPlatform::openWindow(void*, int32_t width, int32_t height,
                                                             WindowEvents& events) {
    if (refusing) {
        return nullptr;
    }
    auto window = std::make_unique<HeadlessWindow>(width, height, events);
    last = window.get();
    return window;
}
