// The editor base without a display: rectangle and scale, opening and closing, the idle and its
// throttle, re-entrant idles, and an instance deleted with its editor open.
#include "gui/platform/headless/headless.h"
#include "gui/platform/pixelscale.h"
#include "recording_views.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

class EditorBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.setTicks(1000);
        setPlatform(&platform);
        effect = std::make_unique<CountingEffect>();
        editor = new RecordingEditor(effect.get());
    }
    void TearDown() override {
        effect.reset();
        setPlatform(nullptr);
    }
    HeadlessWindow* window() { return platform.lastWindow(); }
    void paint() {
        window()->queueExpose();
        editor->idle();
    }

    HeadlessPlatform platform;
    std::unique_ptr<CountingEffect> effect;
    RecordingEditor* editor = nullptr; // owned by the effect
};

TEST_F(EditorBaseTest, RegistersWithTheEffectAndReportsItsRectBeforeAndAfterOpen) {
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(editor->getRect(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->bottom, 40);
    EXPECT_EQ(rect->right, 60);
    EXPECT_EQ(editor->open(nullptr), 1);
    ERect* again = nullptr;
    EXPECT_EQ(editor->getRect(&again), 1);
    EXPECT_EQ(again, rect);
    EXPECT_EQ(editor->getRect(nullptr), 1);

    EffectEditor plain(nullptr);
    ERect* none = rect;
    EXPECT_EQ(plain.getRect(&none), 0);
    EXPECT_EQ(none, nullptr);
}

// A host sizes its window by the rectangle it asked for before opening.
TEST_F(EditorBaseTest, TheScaleIsReadByTheFirstRectOrOpenAndKeptUntilClose) {
    platform.setEditorScale(2);
    ERect* rect = nullptr;
    editor->getRect(&rect);
    EXPECT_EQ(rect->bottom, 80);
    EXPECT_EQ(rect->right, 120);
    platform.setEditorScale(3);
    ASSERT_EQ(editor->open(nullptr), 1);
    EXPECT_EQ(platform.lastWindow()->screen().width(), 120);
    EXPECT_EQ(platform.lastWindow()->screen().height(), 80);
    editor->getRect(&rect);
    EXPECT_EQ(rect->right, 120);

    editor->close();
    editor->getRect(&rect);
    EXPECT_EQ(rect->bottom, 120);
    EXPECT_EQ(rect->right, 180);
    editor->close();
    platform.setEditorScale(9);
    ASSERT_EQ(editor->open(nullptr), 1);
    EXPECT_EQ(platform.lastWindow()->screen().width(), 240) << "at most 4x";
    editor->getRect(&rect);
    EXPECT_EQ(rect->right, 240);
}

TEST(EditorScale, TheVariableTakesWholeNumbersFrom1To4AndIgnoresAnythingElse) {
    const std::pair<const char*, int32_t> accepted[] = {{"1", 1}, {"2", 2},   {"3", 3},
                                                        {"4", 4}, {" 2 ", 2}, {"02", 2}};
    for (const auto& [text, scale] : accepted) {
        EXPECT_EQ(scaleSetting(text), scale) << text;
    }
    for (const char* ignored :
         {"", "0", "5", "-2", "+2", "2x", "1.5", "2.0", "two", "99999999999999999999"}) {
        EXPECT_EQ(scaleSetting(ignored), 0) << ignored;
    }
    EXPECT_EQ(scaleSetting(nullptr), 0);
}

TEST(EditorScale, XftDpiIsRoundedToAMultipleOf96HalfUpAndAtMost4) {
    const struct {
        const char* resources;
        int32_t scale;
    } cases[] = {
        {"Xft.dpi:\t96\n", 1},
        {"Xft.dpi:\t143\n", 1},
        {"Xft.dpi:\t144\n", 2},
        {"Xft.dpi:\t192\n", 2},
        {"Xft.dpi:\t239.9\n", 2},
        {"Xft.dpi:\t240\n", 3},
        {"Xft.dpi:\t288\n", 3},
        {"Xft.dpi:\t384\n", 4},
        {"Xft.dpi:\t960\n", 4},
        {"Xft.dpi:\t40\n", 1},
        {"Xcursor.size:\t48\nXft.dpi:\t192\nXft.hinting:\t1\n", 2},
        {"Xft.dpi: 96\nXft.dpi: 288", 3},
        {"  Xft.dpi  :  192  ", 2},
        {"", 1},
        {"Xft.dpi:\n", 1},
        {"Xft.dpi:\tlarge\n", 1},
        {"Xft.dpi:\t-192\n", 1},
        {"Xft.dpi:\t0\n", 1},
        {"Xft.dpi:\tnan\n", 1},
        {"Xft.dpi:\tinf\n", 1},
        {"Xft.dpi:\t192dpi\n", 1},
        {"Xft.dpiX:\t192\n", 1},
        {"Other.Xft.dpi:\t192\n", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scaleFromResources(c.resources), c.scale) << c.resources;
    }
}

TEST_F(EditorBaseTest, OpeningWithoutADisplayAnswersZeroAndLeavesNoFrame) {
    platform.refuseWindows(true);
    EXPECT_EQ(editor->open(nullptr), 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    editor->idle();
    editor->close();
}

TEST_F(EditorBaseTest, OpeningTwiceReplacesTheFrameInsteadOfDoublingIt) {
    const int32_t bitmaps = Bitmap::liveCount();
    ASSERT_EQ(editor->open(nullptr), 1);
    ASSERT_EQ(editor->open(nullptr), 1);
    EXPECT_NE(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->viewsDestroyed, 2) << "the first frame's views went with it";
    EXPECT_EQ(Bitmap::liveCount(), bitmaps + 1) << "one background, held by the one frame";
    editor->close();
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(Bitmap::liveCount(), bitmaps);
}

TEST_F(EditorBaseTest, DeletingTheInstanceWithItsEditorOpenClosesTheFrame) {
    // An editor that leaves closing to its base: the instance's deletion deletes the editor,
    // whose base takes the frame, its views and its background with it.
    struct BareEditor : EffectHeldEditor {
        BareEditor(AudioEffect* effect, int& destroyed)
            : EffectHeldEditor(effect), destroyed(destroyed) {}
        int32_t open(void* parent) override {
            EditorBase::open(parent);
            if (!openFrame({0, 0, 10, 10}, parent)) {
                return 0;
            }
            frame->addView(new RecordingView({0, 0, 5, 5}, RedColour, &destroyed));
            frame->setBackground(BitmapRef::adopt(new Bitmap(Surface(10, 10))).get());
            return 1;
        }
        int& destroyed;
    };
    const int32_t bitmaps = Bitmap::liveCount();
    int destroyed = 0;
    auto other = std::make_unique<CountingEffect>();
    ASSERT_EQ((new BareEditor(other.get(), destroyed))->open(nullptr), 1);
    EXPECT_EQ(Bitmap::liveCount(), bitmaps + 1);
    other.reset();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Bitmap::liveCount(), bitmaps);
}

TEST_F(EditorBaseTest, IdleDrainsEventsRunsThePendingUpdateAndRedrawsChangedControls) {
    ASSERT_EQ(editor->open(nullptr), 1);
    editor->idle();
    EXPECT_EQ(editor->updates, 1) << "open asks for an update";
    editor->idle();
    EXPECT_EQ(editor->updates, 1);
    editor->postUpdate();
    editor->idle();
    EXPECT_EQ(editor->updates, 2);

    EXPECT_EQ(editor->control->draws, 0) << "nothing is drawn before the first paint";
    paint();
    EXPECT_EQ(window()->screen().pixel(10, 10), 0xff0000u);
    EXPECT_EQ(window()->screen().pixel(0, 0), RecordingEditor::kBackground);
    const int drawn = editor->control->draws;
    editor->control->setValue(1.0f);
    editor->idle();
    EXPECT_EQ(editor->control->draws, drawn + 1);
    EXPECT_EQ(window()->screen().pixel(10, 30), 0xffffffu);

    window()->queuePress({40, 10});
    editor->idle();
    EXPECT_EQ(editor->viewB->presses.size(), 1u);
}

TEST_F(EditorBaseTest, DrawRepaintsTheWholeFrame) {
    editor->draw(nullptr);
    ASSERT_EQ(editor->open(nullptr), 1);
    editor->draw(nullptr);
    EXPECT_EQ(editor->viewA->draws, 1);
    EXPECT_EQ(editor->viewB->draws, 1);
    EXPECT_EQ(window()->screen().pixel(40, 10), 0x0000ffu);
}

TEST_F(EditorBaseTest, ThrottledIdleRunsAtMostEvery50Milliseconds) {
    ASSERT_EQ(editor->open(nullptr), 1);
    editor->idle();
    const int updates = editor->updates;
    editor->postUpdate();
    platform.setTicks(1030);
    editor->idleThrottled();
    EXPECT_EQ(effect->masterIdles, 0) << "30 ms after construction";
    platform.setTicks(1050);
    editor->idleThrottled();
    EXPECT_EQ(effect->masterIdles, 1);
    EXPECT_EQ(editor->updates, updates + 1) << "the editor's own idle ran";
    platform.setTicks(1080);
    editor->idleThrottled();
    EXPECT_EQ(effect->masterIdles, 1) << "30 ms later";
    platform.setTicks(1100);
    editor->idleThrottled();
    EXPECT_EQ(effect->masterIdles, 2) << "50 ms later";
}

TEST_F(EditorBaseTest, ThrottleSurvivesTheTickCounterWrapping) {
    platform.setTicks(0xffffffe0u);
    auto other = std::make_unique<CountingEffect>();
    auto* wrapping = new RecordingEditor(other.get());
    platform.setTicks(0xfffffff0u); // 16 ms later, before the wrap
    wrapping->idleThrottled();
    platform.setTicks(0x00000005u); // 37 ms later, after the wrap
    wrapping->idleThrottled();
    EXPECT_EQ(other->masterIdles, 0);
    platform.setTicks(0x00000012u); // 50 ms later
    wrapping->idleThrottled();
    EXPECT_EQ(other->masterIdles, 1);
    EXPECT_EQ(wrapping->lastThrottledTicks(), 0x12u);
}

TEST_F(EditorBaseTest, ControlsIdleTheEditorThroughTheirFrameDuringADrag) {
    ASSERT_EQ(editor->open(nullptr), 1);
    platform.setTicks(1100);
    editor->control->idleDuringTracking();
    EXPECT_EQ(effect->masterIdles, 1);
    RecordingControl loose({0, 0, 1, 1}, nullptr, 0);
    loose.idleDuringTracking();
    EXPECT_EQ(effect->masterIdles, 1);
}

TEST_F(EditorBaseTest, AnIdleDuringAPressRedrawsButDispatchesNothing) {
    ASSERT_EQ(editor->open(nullptr), 1);
    paint();
    // A host that answers the plug-in's idle request by idling the editor at once, from inside
    // the press, with another press already queued.
    int nestedPresses = -1;
    editor->viewA->onPress = [&] {
        editor->control->setValue(1.0f);
        editor->idle();
        nestedPresses = static_cast<int>(editor->viewB->presses.size());
    };
    const int drawn = editor->control->draws;
    window()->queuePress({10, 10});
    window()->queuePress({40, 10});
    editor->idle();
    EXPECT_EQ(nestedPresses, 0) << "the queued press waited for the outer dispatch";
    EXPECT_EQ(editor->control->draws, drawn + 1) << "the nested idle redrew the changed control";
    EXPECT_EQ(editor->viewA->presses.size(), 1u);
    EXPECT_EQ(editor->viewB->presses.size(), 1u);
}

} // namespace
