// A knob dragged inside a frame and an editor, with the pointer and the clock faked on the
// headless platform: the editor's idle runs at most every 50 ms during the drag, redraws the
// knob, and may be re-entered by a host from inside the idle request.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/knob.h"
#include "recording_views.h"
#include "scripted_pointer.h"

#include <gtest/gtest.h>

namespace {

constexpr Rect kKnobArea{10, 10, 50, 50};

// An editor holding one film-strip knob whose 64 frames are each painted in their own index.
class KnobEditor : public EffectHeldEditor {
public:
    KnobEditor(AudioEffect* effect, ControlListener* listener)
        : EffectHeldEditor(effect), listener(listener) {
        rect = {0, 0, 60, 60};
    }
    ~KnobEditor() override { close(); }

    int32_t open(void* parent) override {
        EditorBase::open(parent);
        if (!openFrame({0, 0, 60, 60}, parent)) {
            return 0;
        }
        Surface strip(40, 64 * 40);
        for (int32_t frame = 0; frame < 64; ++frame) {
            strip.fillBlock({0, frame * 40, 40, frame * 40 + 40}, static_cast<uint32_t>(frame));
        }
        const BitmapRef bitmap = BitmapRef::adopt(new Bitmap(std::move(strip)));
        knob = new FilmstripKnob(kKnobArea, listener, 1, 64, 40, bitmap.get(), {});
        frame->addView(knob);
        return 1;
    }
    void close() override {
        EditorBase::close();
        knob = nullptr;
    }
    void idle() override {
        ++idles;
        EditorBase::idle();
    }

    ControlListener* listener;
    FilmstripKnob* knob = nullptr;
    int idles = 0;
};

// Answers the idle request by idling the editor at once, as some hosts do.
class ReenteringEffect : public CountingEffect {
public:
    void masterIdle() override {
        CountingEffect::masterIdle();
        if (editor != nullptr) {
            editor->idle();
        }
    }
    KnobEditor* editor = nullptr;
};

class KnobDrag : public ::testing::Test {
protected:
    void SetUp() override {
        platform.setTicks(1000);
        setPlatform(&platform);
        editor = new KnobEditor(&effect, &listener);
        ASSERT_EQ(editor->open(nullptr), 1);
        window = platform.last;
        window->queueExpose();
        editor->idle();
        editor->idles = 0;
        // Every poll of the drag loop takes 20 ms.
        window->onStep = [this] { platform.setTicks(platform.ticks() + 20); };
    }
    void TearDown() override {
        EXPECT_EQ(window->overruns, 0) << "the drag loop missed the release";
        setPlatform(nullptr);
    }
    // The strip frame the window shows for the knob.
    uint32_t shownFrame() const { return window->screen().pixel(kKnobArea.left, kKnobArea.top); }
    // Drags from the top of the knob over to its right and holds there until `steps` polls.
    void drag(size_t steps) {
        std::vector<PointerStep> script;
        for (size_t i = 0; i + 1 < steps; ++i) {
            script.push_back({i < steps / 2 ? Point{30, 15} : Point{45, 30}, ButtonLeft});
        }
        script.push_back({{45, 30}, 0});
        window->script(ButtonLeft, script);
        window->queuePress({30, 15});
        editor->idle();
    }

    ScriptedPlatform platform;
    ReenteringEffect effect;
    RecordingListener listener;
    KnobEditor* editor = nullptr; // owned by the effect
    ScriptedWindow* window = nullptr;
};

TEST_F(KnobDrag, TheEditorIdlesAtMostEvery50MillisecondsAndRedrawsTheKnob) {
    std::vector<uint32_t> framesAtIdle;
    effect.editor = nullptr;
    window->onStep = [this, &framesAtIdle] {
        platform.setTicks(platform.ticks() + 20);
        framesAtIdle.push_back(shownFrame());
    };
    drag(20);
    EXPECT_EQ(window->stepsRead(), 20u);
    // 20 polls 20 ms apart: the throttled idle ran on every third poll (60 ms), and the host
    // idled with it; then there is the outer idle that delivered the press.
    EXPECT_EQ(effect.masterIdles, 6);
    EXPECT_EQ(editor->idles, 6 + 1);
    // The knob moved on the screen during the drag, from the top (frame 31) to the right.
    EXPECT_EQ(framesAtIdle[4], 31u);
    EXPECT_EQ(framesAtIdle.back(), 52u);
    EXPECT_NEAR(editor->knob->getValue(), 0.8333333f, 1e-6);
    // Between two redraws every poll notifies the listener again with the same value.
    EXPECT_GT(listener.calls.size(), 2u);
    EXPECT_LT(listener.calls.size(), 20u);
}

TEST_F(KnobDrag, AHostReenteringTheIdleFromTheIdleRequestLeavesTheDragIntact) {
    effect.editor = editor;
    drag(20);
    EXPECT_EQ(window->stepsRead(), 20u);
    EXPECT_EQ(effect.masterIdles, 6);
    // Each throttled idle ran the editor's idle twice: once itself, once through the host.
    EXPECT_EQ(editor->idles, 2 * 6 + 1);
    EXPECT_NEAR(editor->knob->getValue(), 0.8333333f, 1e-6);
    editor->idle();
    EXPECT_EQ(shownFrame(), 52u);
    // The redraw inside the drag settles the knob: no notification repeats a drawn value.
    for (const Notification& call : listener.calls) {
        EXPECT_NE(call.value, call.oldValue);
    }
}

} // namespace
