// The text field: what opens its edit box, the four ways an edit ends, and the single
// notification of a changed text; with the headless edit box that the tests type into.
#include "gui/drawcontext.h"
#include "gui/frame.h"
#include "gui/platform/headless/headless.h"
#include "gui/platform/headless/headlesseditbox.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "scripted_pointer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr Rect kFieldArea{10, 10, 50, 25};
constexpr Rect kButtonArea{60, 10, 80, 25};

class TextFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPlatform(&platform);
        frame = std::make_unique<Frame>(Rect{0, 0, 100, 60}, nullptr, nullptr);
        window = platform.lastWindow();
        field = new TextField(kFieldArea, &listener, 5, "71", nullptr, 0);
        button = new ToggleButton(kButtonArea, &listener, 1000, nullptr);
        frame->addView(field);
        frame->addView(button);
        window->queueExpose();
        frame->processEvents();
    }
    void TearDown() override {
        frame.reset();
        setPlatform(nullptr);
        EXPECT_EQ(HeadlessEditBox::current(), nullptr) << "an edit box outlived its field";
    }

    void press(Point where, int32_t buttons = ButtonLeft) {
        window->setMouseButtons(buttons);
        window->queuePress(where);
        frame->processEvents();
        window->setMouseButtons(0);
    }
    // Opens the field's box with a click and types into it.
    HeadlessEditBox& openAndType(const char* typed) {
        press({20, 15});
        HeadlessEditBox* box = HeadlessEditBox::current();
        EXPECT_NE(box, nullptr);
        box->type(typed);
        return *box;
    }
    std::string fieldText() const {
        char text[kDisplayTextSize];
        field->getText(text);
        return text;
    }
    size_t fieldNotifications() const {
        size_t count = 0;
        for (const Notification& call : listener.calls) {
            count += call.tag == 5 ? 1 : 0;
        }
        return count;
    }

    HeadlessPlatform platform;
    std::unique_ptr<Frame> frame;
    HeadlessWindow* window = nullptr;
    RecordingListener listener;
    TextField* field = nullptr;
    ToggleButton* button = nullptr;
};

TEST_F(TextFieldTest, APlainLeftClickOpensTheBoxOverTheWholeFieldWithItsText) {
    field->setFont(4);
    press({50, 25});
    HeadlessEditBox* box = HeadlessEditBox::current();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(field->getEditBox(), box);
    EXPECT_EQ(frame->getEditView(), field);
    // Right and bottom edges included.
    EXPECT_EQ(box->layout().area, (Rect{10, 10, 51, 26}));
    EXPECT_EQ(box->layout().fontId, 4);
    EXPECT_EQ(box->text(), "71");
    // A second click inside the open field changes nothing.
    press({20, 15});
    EXPECT_EQ(HeadlessEditBox::current(), box);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(TextFieldTest, AtScaleThreeTheBoxCoversTheEnlargedFieldWithEnlargedText) {
    frame = std::make_unique<Frame>(Rect{0, 0, 100, 60}, nullptr, nullptr, 3);
    window = platform.lastWindow();
    field = new TextField(kFieldArea, &listener, 5, "71", nullptr, 0);
    frame->addView(field);
    press({152, 77}); // the field's last pixel, enlarged
    HeadlessEditBox* box = HeadlessEditBox::current();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->layout().area, (Rect{30, 30, 153, 78}));
    EXPECT_EQ(box->layout().scale, 3);
}

TEST_F(TextFieldTest, OtherButtonsModifiersOrADisabledFieldOpenNothing) {
    for (const int32_t buttons :
         {int32_t{ButtonRight}, ButtonLeft | ModShift, ButtonLeft | ModControl, ButtonLeft | ModAlt,
          ButtonLeft | ButtonRight}) {
        press({20, 15}, buttons);
        EXPECT_EQ(HeadlessEditBox::current(), nullptr) << buttons;
        EXPECT_EQ(frame->getEditView(), nullptr);
    }
    field->setMouseEnabled(false);
    press({20, 15});
    EXPECT_EQ(HeadlessEditBox::current(), nullptr);
}

TEST_F(TextFieldTest, ReturnCommitsTheTypedTextAndNotifiesOnce) {
    HeadlessEditBox& box = openAndType("64");
    const int32_t presentsBefore = window->presentCount();
    box.pressReturn();
    EXPECT_EQ(HeadlessEditBox::current(), nullptr);
    EXPECT_EQ(field->getEditBox(), nullptr);
    EXPECT_EQ(frame->getEditView(), nullptr);
    EXPECT_EQ(fieldText(), "64");
    EXPECT_EQ(fieldNotifications(), 1u);
    EXPECT_GT(window->presentCount(), presentsBefore) << "the committed text is shown";
    // Clicking another control afterwards does not notify the field again.
    press({70, 15});
    EXPECT_EQ(fieldNotifications(), 1u);
    EXPECT_EQ(listener.calls.back().tag, 1000);
}

TEST_F(TextFieldTest, LosingTheFocusCommits) {
    openAndType("12").loseFocus();
    EXPECT_EQ(fieldText(), "12");
    EXPECT_EQ(fieldNotifications(), 1u);
    EXPECT_EQ(frame->getEditView(), nullptr);
}

TEST_F(TextFieldTest, APressElsewhereCommitsBeforeItReachesTheViewThere) {
    openAndType("33");
    listener.onChange = [&](Control* control) {
        if (control == button) {
            EXPECT_EQ(fieldText(), "33") << "the field committed first";
        }
    };
    press({70, 15});
    ASSERT_EQ(listener.calls.size(), 2u);
    EXPECT_EQ(listener.calls[0].tag, 5);
    EXPECT_EQ(listener.calls[1].tag, 1000);
    // A press on no view commits too.
    openAndType("34");
    press({5, 50});
    EXPECT_EQ(fieldText(), "34");
    EXPECT_EQ(fieldNotifications(), 2u);
}

TEST_F(TextFieldTest, DeletingTheFrameCommits) {
    openAndType("99");
    frame.reset();
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].tag, 5);
}

TEST_F(TextFieldTest, AnUnchangedTextRedrawsButDoesNotNotify) {
    HeadlessEditBox& box = openAndType("7");
    box.type("1");
    field->setOldValue(field->getValue());
    const int32_t presentsBefore = window->presentCount();
    box.pressReturn();
    EXPECT_EQ(fieldText(), "71");
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_GT(window->presentCount(), presentsBefore);
}

TEST_F(TextFieldTest, ACommitKeepsAtMost254Characters) {
    const std::string typed(300, 'a');
    openAndType(typed.c_str()).pressReturn();
    EXPECT_EQ(fieldText(), std::string(254, 'a'));
    EXPECT_EQ(fieldNotifications(), 1u);
}

TEST_F(TextFieldTest, ACommitDuringTheCommitIsIgnored) {
    HeadlessEditBox& box = openAndType("5");
    // A listener that ends the edit once more, as a focus event caused by the box's own
    // destruction would.
    listener.onChange = [&](Control*) { field->loseFocus(); };
    box.pressReturn();
    EXPECT_EQ(fieldNotifications(), 1u);
}

TEST_F(TextFieldTest, ATextFieldOutsideAFrameOpensNothing) {
    TextField loose(kFieldArea, &listener, 6, nullptr, nullptr, 0);
    Surface surface(100, 60);
    DrawContext context(nullptr, &surface, window);
    window->setMouseButtons(ButtonLeft);
    Point where{20, 15};
    loose.mouse(&context, where);
    EXPECT_EQ(loose.getEditBox(), nullptr);
    loose.loseFocus();
    EXPECT_TRUE(listener.calls.empty());
}

TEST(TextFieldTexts, SetTextMarksForRedrawAndDrawingUsesTheTextNotTheValue) {
    RecordingListener listener;
    TextField field(kFieldArea, &listener, 5, nullptr, nullptr, 0);
    char text[kDisplayTextSize] = "untouched";
    field.getText(nullptr);
    field.getText(text);
    EXPECT_STREQ(text, "");

    field.setOldValue(0.0f);
    field.setText("OFF");
    EXPECT_EQ(field.getOldValue(), 1.0f);
    field.setValue(0.4f);
    field.setOldValue(0.4f);
    field.setText("12");
    EXPECT_EQ(field.getOldValue(), 0.0f);
    field.setText(nullptr);
    field.getText(text);
    EXPECT_STREQ(text, "12");
    const std::string tooLong(300, 'b');
    field.setText(tooLong.c_str());
    field.getText(text);
    EXPECT_EQ(std::string(text), std::string(255, 'b'));

    // Drawn: the stored text (through the converter when there is one), never the value.
    const auto drawn = [&](TextField& f) {
        Surface surface(60, 30);
        DrawContext context(nullptr, &surface, nullptr);
        f.draw(&context);
        return surface;
    };
    TextField reference(kFieldArea, nullptr, 0, "CC 12", nullptr, 0);
    field.setText("12");
    field.setValueConverter([](float, char* out) { strcpy(out, "value"); });
    field.setTextConverter([](const char* stored, char* out) {
        EXPECT_EQ(out[0], '\0');
        strcpy(out, "CC ");
        strcat(out, stored);
    });
    const Surface a = drawn(field);
    const Surface b = drawn(reference);
    EXPECT_TRUE(std::equal(a.data(), a.data() + 60 * 30, b.data()));
    EXPECT_EQ(field.getOldValue(), field.getValue());
}

} // namespace
