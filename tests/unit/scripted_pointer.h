// A headless window whose pointer follows a script, one step each time a drag loop reads the
// pointer's location, and a listener that records every notification. For the control tests.
#pragma once

#include "gui/platform/headless/headless.h"
#include "gui/view.h"

#include <functional>
#include <vector>

struct PointerStep {
    Point where;
    int32_t buttons = 0;
};

class ScriptedWindow : public HeadlessWindow {
public:
    ScriptedWindow(int32_t width, int32_t height, WindowEvents& events, int32_t scale = 1)
        : HeadlessWindow(width, height, events, scale) {}

    // The buttons held at the press, then the steps that the following reads walk through.
    void script(int32_t buttonsAtPress, std::vector<PointerStep> script) {
        setMouseButtons(buttonsAtPress);
        steps = std::move(script);
        next = 0;
    }

    Point mouseLocation() override {
        if (next < steps.size()) {
            setMouseLocation(steps[next].where);
            setMouseButtons(steps[next].buttons);
        } else {
            // A loop reading past the script has missed the release: stop it, and say so.
            ++overruns;
            setMouseButtons(0);
        }
        ++next;
        if (onStep) {
            onStep();
        }
        return HeadlessWindow::mouseLocation();
    }

    size_t stepsRead() const { return next; }

    int overruns = 0;
    // Runs after each step is taken, as time passing during a drag.
    std::function<void()> onStep;

private:
    std::vector<PointerStep> steps;
    size_t next = 0;
};

// Makes ScriptedWindows.
class ScriptedPlatform : public HeadlessPlatform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void*, int32_t width, int32_t height, int32_t scale,
                                               WindowEvents& events) override {
        auto window = std::make_unique<ScriptedWindow>(width, height, events, scale);
        last = window.get();
        return window;
    }

    ScriptedWindow* last = nullptr;
};

// Ignores every window event, for windows used without a frame.
class NoWindowEvents : public WindowEvents {
public:
    void windowExposed() override {}
    void windowPressed(Point) override {}
    void windowWheeled(Point, int32_t, int32_t) override {}
    void windowDestroyed() override {}
};

struct Notification {
    int32_t tag;
    float value;
    float oldValue;
};

class RecordingListener : public ControlListener {
public:
    void valueChanged(DrawContext*, Control* control) override {
        calls.push_back({control->getTag(), control->getValue(), control->getOldValue()});
        if (onChange) {
            onChange(control);
        }
    }

    std::vector<Notification> calls;
    std::function<void(Control*)> onChange;
};
