// The toggle button: which half of its bitmap it draws, and what a press does in which order.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "gui/togglebutton.h"
#include "scripted_pointer.h"

#include <gtest/gtest.h>

namespace {

constexpr Rect kButtonArea{5, 5, 9, 15};

// 4 x 20: every pixel holds its row number, so the drawn rows can be read back.
BitmapRef rowNumberedBitmap() {
    Surface picture(4, 20);
    for (int32_t y = 0; y < 20; ++y) {
        picture.fillBlock({0, y, 4, y + 1}, static_cast<uint32_t>(y));
    }
    return BitmapRef::adopt(new Bitmap(std::move(picture)));
}

class ToggleButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button =
            std::make_unique<ToggleButton>(kButtonArea, &listener, 1001, rowNumberedBitmap().get());
    }

    // The bitmap rows shown in the button's area, top to bottom.
    std::pair<uint32_t, uint32_t> shownRows() const {
        return {surface.pixel(kButtonArea.left, kButtonArea.top),
                surface.pixel(kButtonArea.right - 1, kButtonArea.bottom - 1)};
    }
    void press(int32_t buttons) {
        window.setMouseButtons(buttons);
        Point where{6, 6};
        button->mouse(&context, where);
    }

    NoWindowEvents events;
    ScriptedWindow window{20, 20, events};
    Surface& surface = window.surface();
    DrawContext context{nullptr, &surface, &window};
    RecordingListener listener;
    std::unique_ptr<ToggleButton> button;
};

TEST_F(ToggleButtonTest, ZeroDrawsTheUpperHalfAndAnyOtherValueTheLowerHalf) {
    const std::pair<uint32_t, uint32_t> upper{0, 9};
    const std::pair<uint32_t, uint32_t> lower{10, 19};
    for (const auto& [value, rows] :
         {std::pair{0.0f, upper}, std::pair{-0.0f, upper}, std::pair{1.0f, lower},
          std::pair{0.5f, lower}, std::pair{-1.0f, lower}, std::pair{1.7f, lower}}) {
        button->setValue(value);
        button->draw(&context);
        EXPECT_EQ(shownRows(), rows) << value;
        EXPECT_EQ(button->getOldValue(), value);
    }
}

TEST_F(ToggleButtonTest, APressTogglesRedrawsAndThenNotifiesOnce) {
    std::pair<uint32_t, uint32_t> rowsWhenNotified;
    listener.onChange = [&](Control*) { rowsWhenNotified = shownRows(); };
    press(ButtonLeft);
    EXPECT_EQ(button->getValue(), 1.0f);
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].tag, 1001);
    EXPECT_EQ(listener.calls[0].oldValue, 1.0f) << "drawn before the listener runs";
    EXPECT_EQ(rowsWhenNotified, (std::pair<uint32_t, uint32_t>{10, 19}));

    press(ButtonLeft);
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(listener.calls.size(), 2u);
    EXPECT_EQ(rowsWhenNotified, (std::pair<uint32_t, uint32_t>{0, 9}));
}

TEST_F(ToggleButtonTest, AnyButtonAndModifierTogglesButNotADisabledButton) {
    press(ButtonRight);
    EXPECT_EQ(button->getValue(), 1.0f);
    press(ButtonLeft | ModShift | ModAlt);
    EXPECT_EQ(button->getValue(), 0.0f);
    button->setMouseEnabled(false);
    press(ButtonLeft);
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(listener.calls.size(), 2u);
}

TEST_F(ToggleButtonTest, TogglingLooksAtTheIntegerPartOfTheValue) {
    for (const auto& [before, after] : {std::pair{0.5f, 1.0f}, std::pair{-0.5f, 1.0f},
                                        std::pair{1.7f, 0.0f}, std::pair{-2.0f, 0.0f}}) {
        button->setValue(before);
        press(ButtonLeft);
        EXPECT_EQ(button->getValue(), after) << before;
    }
}

TEST_F(ToggleButtonTest, AListenerThatUndoesThePressLeavesItDrawnUntilTheNextUpdate) {
    listener.onChange = [](Control* control) { control->setValue(0.0f); };
    press(ButtonLeft);
    EXPECT_EQ(shownRows(), (std::pair<uint32_t, uint32_t>{10, 19}));
    button->update(&context);
    EXPECT_EQ(shownRows(), (std::pair<uint32_t, uint32_t>{0, 9}));
}

TEST(ToggleButtonWithoutBitmap, DrawsNothingButStillTogglesAndNotifies) {
    Surface surface(20, 20, 0x123456);
    DrawContext context(nullptr, &surface, nullptr);
    RecordingListener listener;
    ToggleButton button(kButtonArea, &listener, 1000, nullptr);
    Point where{6, 6};
    button.mouse(&context, where);
    EXPECT_EQ(button.getValue(), 1.0f);
    EXPECT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(surface.pixel(6, 6), 0x123456u);
}

} // namespace
