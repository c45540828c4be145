// Views, a control and an editor that record what the toolkit does to them, for the frame and
// editor tests (headless and on a real X server).
#pragma once

#include "frame/AudioEffect.h"
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "gui/editorbase.h"
#include "gui/frame.h"

#include <functional>
#include <vector>

// Paints its rectangle, edges included, in its colour; records every press.
class RecordingView : public View {
public:
    RecordingView(const Rect& size, Colour colour, int* destroyed = nullptr)
        : View(size), colour(colour), destroyed(destroyed) {}
    ~RecordingView() override {
        if (destroyed != nullptr) {
            ++*destroyed;
        }
    }

    void draw(DrawContext* context) override {
        ++draws;
        context->setFillColour(colour);
        context->fillRect({size.left - 1, size.top - 1, size.right + 1, size.bottom + 1});
    }
    void mouse(DrawContext* context, Point& where) override {
        presses.push_back(where);
        buttonsAtPress.push_back(context->getMouseButtons());
        if (onPress) {
            onPress();
        }
    }
    void loseFocus() override { ++focusLosses; }

    Colour colour;
    int* destroyed;
    int draws = 0;
    int focusLosses = 0;
    std::vector<Point> presses;
    std::vector<int32_t> buttonsAtPress;
    std::function<void()> onPress;
};

// Paints itself grey scaled by its value.
class RecordingControl : public Control {
public:
    RecordingControl(const Rect& size, ControlListener* listener, int32_t tag)
        : Control(size, listener, tag) {}

    void draw(DrawContext* context) override {
        ++draws;
        const auto level = static_cast<uint8_t>(value * 255.0f);
        context->setFillColour({level, level, level, 0});
        context->fillRect({size.left - 1, size.top - 1, size.right + 1, size.bottom + 1});
    }

    int draws = 0;
};

class CountingEffect : public AudioEffect {
public:
    CountingEffect() : AudioEffect(nullptr, 1, 1) {}
    void process(float**, float**, int32_t) override {}
    void masterIdle() override { ++masterIdles; }

    int masterIdles = 0;
};

// The toolkit's editor as a VST 2 effect holds it: registered with the effect, and idling the host
// through it during a drag.
class EffectHeldEditor : public EditorBase {
public:
    explicit EffectHeldEditor(AudioEffect* effect) : holder(effect) {
        if (effect != nullptr) {
            effect->setEditor(this);
        }
    }

protected:
    void idleHost() override {
        if (holder != nullptr) {
            holder->masterIdle();
        }
    }

private:
    AudioEffect* holder;
};

// A 60 x 40 editor on a dark background: view A (red) at the left, view B (blue) at the right,
// and a control along the bottom.
class RecordingEditor : public EffectHeldEditor {
public:
    static constexpr Rect kViewA{5, 5, 24, 24};
    static constexpr Rect kViewB{30, 5, 49, 24};
    static constexpr Rect kControl{5, 28, 54, 36};
    static constexpr uint32_t kBackground = 0x102030;

    explicit RecordingEditor(AudioEffect* effect) : EffectHeldEditor(effect) {
        rect = {0, 0, 40, 60};
    }
    ~RecordingEditor() override { close(); }

    int32_t open(void* parent) override {
        EditorBase::open(parent);
        if (!openFrame({0, 0, rect.right, rect.bottom}, parent)) {
            return 0;
        }
        frame->setBackground(BitmapRef::adopt(new Bitmap(Surface(60, 40, kBackground))).get());
        viewA = new RecordingView(kViewA, RedColour, &viewsDestroyed);
        viewB = new RecordingView(kViewB, BlueColour, &viewsDestroyed);
        control = new RecordingControl(kControl, nullptr, 7);
        frame->addView(viewA);
        frame->addView(viewB);
        frame->addView(control);
        ++opens;
        return 1;
    }
    void close() override {
        EditorBase::close();
        viewA = viewB = nullptr;
        control = nullptr;
    }
    void update() override { ++updates; }

    uint32_t lastThrottledTicks() const { return lastTicks; }

    RecordingView* viewA = nullptr;
    RecordingView* viewB = nullptr;
    RecordingControl* control = nullptr;
    int viewsDestroyed = 0;
    int opens = 0;
    int updates = 0;
};
