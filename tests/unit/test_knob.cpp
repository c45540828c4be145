// Knobs: the angle-to-value geometry with its dead zone, the film-strip frame choice, Alt presses,
// the polling drag loop and the wheel.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "gui/knob.h"
#include "pixels.h"
#include "scripted_pointer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr Rect kKnobArea{0, 0, 40, 40};

// A strip of `frames` frames, 4 pixels wide and `height` high, each painted in its own index.
Surface numberedStrip(int32_t frames, int32_t height) {
    Surface picture(4, frames * height);
    for (int32_t frame = 0; frame < frames; ++frame) {
        picture.fillBlock({0, frame * height, 4, (frame + 1) * height},
                          static_cast<uint32_t>(frame));
    }
    return picture;
}

// Holds a view without a frame: counts what the view asks of it.
struct StandInHolder : ViewHolder {
    void drawView(View* view) override { drawn.push_back(view); }
    void runEditorIdle() override { ++idles; }
    View* getEditView() const override { return nullptr; }
    void setEditView(View*) override {}
    PlatformWindow* getPlatformWindow() const override { return nullptr; }

    std::vector<View*> drawn;
    int idles = 0;
};

class KnobTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(window.overruns, 0) << "a drag loop missed the release"; }

    // Presses at `where` with `buttons` held, then walks the pointer through `steps`.
    void press(Knob& knob, Point where, int32_t buttons, std::vector<PointerStep> steps = {}) {
        window.script(buttons, std::move(steps));
        knob.mouse(&context, where);
    }

    NoWindowEvents events;
    ScriptedWindow window{200, 200, events};
    DrawContext context{nullptr, &window.surface(), &window};
    RecordingListener listener;
};

struct GeometryCase {
    Point where;
    float expected;
    const char* where_;
};

TEST_F(KnobTest, PointerPositionsAroundA40By40KnobGiveTheirValues) {
    FilmstripKnob knob(kKnobArea, &listener, 1, 64, 30, nullptr, {});
    const GeometryCase cases[] = {
        {{20, 5}, 0.5f, "straight above"},
        {{35, 20}, 0.8333333f, "straight right"},
        {{5, 20}, 0.16666663f, "straight left"},
        {{6, 34}, 0.0f, "lower left on the diagonal"},
        {{34, 34}, 1.0f, "lower right on the diagonal"},
        {{20, 35}, 1.0f, "straight below"},
        {{19, 35}, 0.0f, "just left of straight below"},
        {{20, 20}, 0.5f, "the centre, taken as straight up"},
        {{20, 0}, 0.5f, "on the top edge"},
        {{40, 20}, 0.8333333f, "on the right edge"},
    };
    for (const GeometryCase& c : cases) {
        EXPECT_NEAR(knob.pointToValue(c.where), c.expected, 2e-7) << c.where_;
    }
}

TEST_F(KnobTest, TheBottomGapSnapsItsLeftHalfToTheMinimumAndItsRightHalfToTheMaximum) {
    FilmstripKnob knob(kKnobArea, &listener, 1, 64, 30, nullptr, {});
    knob.setMin(0.2f);
    knob.setMax(0.8f);
    // Points on a circle of radius 15 round the centre, by fraction of a turn counter-clockwise
    // from the right (0.75 is straight down).
    for (double turn = 0.63; turn < 0.87; turn += 0.01) {
        const double angle = turn * 2.0 * M_PI;
        const Point p{static_cast<int32_t>(std::lround(20.0 + 15.0 * std::cos(angle))),
                      static_cast<int32_t>(std::lround(20.0 - 15.0 * std::sin(angle)))};
        EXPECT_EQ(knob.pointToValue(p), p.h < 20 ? 0.2f : 0.8f) << "turn " << turn;
    }
    // Outside the gap the value runs over the whole range, never beyond it.
    for (int32_t h = 0; h <= 40; ++h) {
        const float value = knob.pointToValue({h, 10});
        EXPECT_GE(value, 0.2f);
        EXPECT_LE(value, 0.8f);
    }
    EXPECT_NEAR(knob.pointToValue({20, 5}), 0.5f, 1e-6);
}

TEST_F(KnobTest, ValueToPointRunsClockwiseFromLowerLeftAndMatchesPointToValue) {
    Knob knob(kKnobArea, &listener, 1, nullptr, BitmapRef::adopt(new Bitmap(Surface(8, 8))).get(),
              {});
    EXPECT_EQ(knob.getInset(), 4);
    Point p;
    knob.setValue(0.0f);
    knob.valueToPoint(p);
    EXPECT_LT(p.h, 20);
    EXPECT_GT(p.v, 20);
    knob.setValue(1.0f);
    knob.valueToPoint(p);
    EXPECT_GT(p.h, 20);
    EXPECT_GT(p.v, 20);
    for (float value = 0.05f; value < 1.0f; value += 0.05f) {
        knob.setValue(value);
        knob.valueToPoint(p);
        EXPECT_NEAR(knob.pointToValue(p), value, 0.03f) << value;
    }
    // An empty range or a value that is not a number keeps the handle at the minimum.
    knob.setValue(0.0f);
    Point atMinimum;
    knob.valueToPoint(atMinimum);
    knob.setValue(std::numeric_limits<float>::quiet_NaN());
    knob.valueToPoint(p);
    EXPECT_EQ(p, atMinimum);
    knob.setValue(0.7f);
    knob.setMax(0.0f);
    knob.valueToPoint(p);
    EXPECT_EQ(p, atMinimum);
    EXPECT_EQ(knob.pointToValue({30, 5}), 0.0f);
}

TEST_F(KnobTest, FilmStripFrameFollowsTheValueWithSnappingAndClamping) {
    const BitmapRef strip = BitmapRef::adopt(new Bitmap(numberedStrip(64, 30)));
    FilmstripKnob knob({10, 10, 14, 40}, &listener, 1, 64, 30, strip.get(), {3, 3});
    const struct {
        float value;
        uint32_t frame;
    } cases[] = {
        {0.0f, 0},
        {0.5f, 31},
        {0.999f, 62},
        {1.0f, 63},
        {1.5f, 63},
        {1e30f, 63},
        {-0.5f, 0},
        {-1e30f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 63},
    };
    for (const auto& c : cases) {
        knob.setValue(c.value);
        knob.draw(&context);
        // The stored offset is not used: the frame's top row lands on the knob's top row.
        EXPECT_EQ(window.surface().pixel(10, 10), c.frame) << c.value;
        EXPECT_EQ(window.surface().pixel(13, 39), c.frame) << c.value;
        EXPECT_TRUE(knob.getOldValue() == c.value || std::isnan(c.value)) << c.value;
    }
    EXPECT_EQ(knob.frameTop(), 1890);
}

TEST_F(KnobTest, PlainKnobDrawsItsBackgroundThenTheHandleTransparently) {
    Surface handlePicture(4, 4, toPixel(TransparentColour));
    handlePicture.setPixel(1, 1, 0x00ff00);
    const BitmapRef handle = BitmapRef::adopt(new Bitmap(std::move(handlePicture)));
    const BitmapRef background = BitmapRef::adopt(new Bitmap(Surface(40, 40, 0x000080)));
    Knob knob(kKnobArea, &listener, 1, background.get(), handle.get(), {});
    knob.setValue(0.5f);
    knob.draw(&context);
    Point p;
    knob.valueToPoint(p);
    EXPECT_EQ(window.surface().pixel(p.h - 2 + 1, p.v - 2 + 1), 0x00ff00u);
    EXPECT_EQ(window.surface().pixel(p.h - 2, p.v - 2), 0x000080u) << "white is transparent";
    EXPECT_EQ(window.surface().pixel(39, 39), 0x000080u);
}

TEST_F(KnobTest, AltClickRestoresTheDefaultAndNotifiesOnlyWhenItDiffersFromTheDrawnValue) {
    FilmstripKnob knob({100, 50, 140, 90}, &listener, 3, 64, 30, nullptr, {});
    knob.setValue(0.9f);
    knob.setOldValue(0.5f);
    press(knob, {120, 55}, ButtonLeft | ModAlt);
    EXPECT_EQ(knob.getValue(), 0.5f);
    EXPECT_TRUE(listener.calls.empty()) << "the drawn value is the default already";

    knob.setDefaultValue(0.25f);
    press(knob, {130, 70}, ButtonLeft | ModAlt);
    EXPECT_EQ(knob.getValue(), 0.25f);
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].tag, 3);
    EXPECT_EQ(window.stepsRead(), 0u) << "no drag follows an Alt-click";

    // Alt and Shift together: an ordinary press, the value from the angle.
    listener.calls.clear();
    knob.setOldValue(-1.0f);
    press(knob, {120, 55}, ButtonLeft | ModAlt | ModShift, {{{120, 55}, 0}});
    EXPECT_NEAR(knob.getValue(), 0.5f, 1e-6);
    ASSERT_EQ(listener.calls.size(), 1u);
    // Alt with the right button too.
    press(knob, {105, 70}, ButtonRight | ModAlt, {{{120, 55}, 0}});
    EXPECT_NEAR(knob.getValue(), 0.16666663f, 1e-6);
}

TEST_F(KnobTest, TheDragEndsOnlyWhenEveryButtonAndModifierIsUp) {
    FilmstripKnob knob({100, 50, 140, 90}, &listener, 2, 64, 30, nullptr, {});
    StandInHolder holder;
    knob.setHolder(&holder);
    press(knob, {120, 55}, ButtonLeft,
          {
              {{135, 70}, ButtonLeft},
              {{135, 70}, ButtonLeft | ModShift},
              {{105, 70}, ModShift},
              {{120, 55}, ModControl | ModAlt},
              {{120, 55}, ButtonMiddle},
              {{135, 70}, 0},
          });
    EXPECT_EQ(window.stepsRead(), 6u);
    EXPECT_EQ(holder.idles, 6) << "every pass lets whatever holds the knob idle";
    knob.redraw();
    EXPECT_EQ(holder.drawn, std::vector<View*>{&knob});
    // The first pass takes the press position; the last step's position comes after the release.
    std::vector<float> seen;
    for (const Notification& call : listener.calls) {
        seen.push_back(call.value);
    }
    ASSERT_EQ(seen.size(), 6u) << "nothing redraws between passes, so each pass notifies";
    EXPECT_NEAR(seen[0], 0.5f, 1e-6);
    EXPECT_NEAR(seen[1], 0.8333333f, 1e-6);
    EXPECT_NEAR(seen[3], 0.16666663f, 1e-6);
    EXPECT_NEAR(seen[5], 0.5f, 1e-6);
    EXPECT_NEAR(knob.getValue(), 0.5f, 1e-6);
}

TEST_F(KnobTest, ADragNotifiesOnlyWhileTheValueDiffersFromTheDrawnOne) {
    FilmstripKnob knob({0, 0, 40, 40}, &listener, 2, 64, 30, nullptr, {});
    // A listener that redraws at once, as an editor's idle would.
    listener.onChange = [&](Control* control) { control->update(&context); };
    press(knob, {20, 5}, ButtonLeft,
          {{{20, 5}, ButtonLeft}, {{20, 5}, ButtonLeft}, {{35, 20}, ButtonLeft}, {{35, 20}, 0}});
    ASSERT_EQ(listener.calls.size(), 2u);
    EXPECT_NEAR(listener.calls[0].value, 0.5f, 1e-6);
    EXPECT_NEAR(listener.calls[1].value, 0.8333333f, 1e-6);
}

// The number a read-out of 0..127 shows for the knob, truncated as the editor's.
int32_t readout(const Knob& knob) {
    return static_cast<int32_t>(knob.getValue() * 127.0);
}

TEST_F(KnobTest, EachWheelNotchMovesTheTruncatingReadOutOneStepAndShiftATenthOfOne) {
    FilmstripKnob knob(kKnobArea, &listener, 1, 64, 30, nullptr, {});
    knob.setWheelSteps(127);
    // Notch by notch over the whole range and back: each notch shows the next number, and the
    // ends are reached exactly.
    knob.setValue(0.0f);
    for (int32_t shown = 1; shown <= 127; ++shown) {
        knob.wheel(&context, 1, 0);
        ASSERT_EQ(readout(knob), shown);
    }
    EXPECT_EQ(knob.getValue(), 1.0f);
    for (int32_t shown = 126; shown >= 0; --shown) {
        knob.wheel(&context, -1, 0);
        ASSERT_EQ(readout(knob), shown);
    }
    EXPECT_EQ(knob.getValue(), 0.0f);

    const struct {
        float start;
        int32_t notches;
        int32_t modifiers;
        int32_t shown;
    } cases[] = {
        {0.5f, 1, 0, 64},
        {64.0f / 127.0f, 1, 0, 64}, // shown as 63: the float lies just below 64/127
        {64.0f / 127.0f, -1, 0, 62},
        {0.5f, 3, 0, 66},
        {0.5f, 1, ModShift, 63},
        {0.5f, 10, ModShift, 64},
        {0.5f, 1, ModControl | ModAlt, 64},
        {0.99f, 5, 0, 127},
        {1.0f, 1, 0, 127},
        {0.0f, -1, 0, 0},
    };
    for (const auto& c : cases) {
        knob.setValue(c.start);
        knob.setOldValue(c.start);
        listener.calls.clear();
        knob.wheel(&context, c.notches, c.modifiers);
        EXPECT_EQ(readout(knob), c.shown) << c.start << " " << c.notches << " " << c.modifiers;
        // Every notch changes the value and tells the listener, as a drag does; past an end
        // nothing changes and nobody hears.
        const bool pastAnEnd =
            (c.start == 1.0f && c.notches > 0) || (c.start == 0.0f && c.notches < 0);
        EXPECT_EQ(knob.getValue() == c.start, pastAnEnd) << c.start;
        EXPECT_EQ(listener.calls.size(), pastAnEnd ? 0u : 1u) << c.start;
    }
}

TEST_F(KnobTest, ADisabledKnobIgnoresPressesAndTheWheel) {
    FilmstripKnob knob(kKnobArea, &listener, 1, 64, 30, nullptr, {});
    knob.setMouseEnabled(false);
    knob.setWheelSteps(127);
    knob.setValue(0.3f);
    press(knob, {20, 5}, ButtonLeft);
    press(knob, {20, 5}, ButtonLeft | ModAlt);
    knob.wheel(&context, 1, 0);
    EXPECT_EQ(knob.getValue(), 0.3f);
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_EQ(window.stepsRead(), 0u);
}

} // namespace
