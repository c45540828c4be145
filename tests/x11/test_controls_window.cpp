// The controls in a real X11 window on the private Xvfb, driven by real X events through XTEST:
// a knob dragged and wheeled, a toggle clicked, a text field typed into.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/knob.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "tests/unit/recording_views.h"
#include "tests/unit/scripted_pointer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/x11_session.h"

#include <X11/keysym.h>

namespace {

constexpr Rect kKnobArea{10, 10, 50, 50};
constexpr Rect kToggleArea{60, 10, 80, 30};
constexpr Rect kFieldArea{10, 60, 70, 80};

BitmapRef numberedStrip(int32_t frames, int32_t width, int32_t height) {
    Surface picture(width, frames * height);
    for (int32_t frame = 0; frame < frames; ++frame) {
        picture.fillBlock({0, frame * height, width, (frame + 1) * height},
                          static_cast<uint32_t>(frame) * 0x010203u);
    }
    return BitmapRef::adopt(new Bitmap(std::move(picture)));
}

class ControlsEditor : public EffectHeldEditor {
public:
    ControlsEditor(AudioEffect* effect, ControlListener* listener)
        : EffectHeldEditor(effect), listener(listener) {
        rect = {0, 0, 100, 100};
    }
    ~ControlsEditor() override { close(); }

    int32_t open(void* parent) override {
        EditorBase::open(parent);
        if (!openFrame({0, 0, 100, 100}, parent)) {
            return 0;
        }
        knob =
            new FilmstripKnob(kKnobArea, listener, 1, 64, 40, numberedStrip(64, 40, 40).get(), {});
        knob->setWheelSteps(127);
        toggle = new ToggleButton(kToggleArea, listener, 1000, numberedStrip(2, 20, 20).get());
        field = new TextField(kFieldArea, listener, 5, "71", nullptr, 0);
        frame->addView(knob);
        frame->addView(toggle);
        frame->addView(field);
        return 1;
    }
    void close() override {
        EditorBase::close();
        knob = nullptr;
        toggle = nullptr;
        field = nullptr;
    }

    ControlListener* listener;
    FilmstripKnob* knob = nullptr;
    ToggleButton* toggle = nullptr;
    TextField* field = nullptr;
};

// Runs a step of the test each time the plug-in asks the host to idle.
class ScriptedHostEffect : public CountingEffect {
public:
    void masterIdle() override {
        CountingEffect::masterIdle();
        if (onIdle) {
            onIdle();
        }
    }
    std::function<void()> onIdle;
};

class ControlsWindow : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (!ready()) {
            return;
        }
        host = x11.makeHostWindow(30, 30, 120, 120);
        editor = new ControlsEditor(&effect, &listener);
        ASSERT_EQ(editor->open(windowHandle(host)), 1);
        editorWindow =
            static_cast<Window>(reinterpret_cast<uintptr_t>(editor->getFrame()->getSystemWindow()));
        ASSERT_TRUE(idleUntil([&] { return editorPixel(kToggleArea.left, kToggleArea.top) == 0; }))
            << "the editor never painted";
    }
    void TearDown() override {
        if (x11.display == nullptr) {
            return;
        }
        x11.button(false);
        editor->close();
        XDestroyWindow(x11.display, host);
    }

    bool idleUntil(const std::function<bool()>& done) {
        return repeatUntil([this] { editor->idle(); }, done);
    }
    uint32_t editorPixel(int x, int y) { return x11.pixel(editorWindow, x, y); }
    void movePointer(int x, int y) { x11.movePointer(editorWindow, x, y); }
    void click(int x, int y) { x11.click(editorWindow, x, y); }
    void key(KeySym symbol) { x11.type(symbol); }
    size_t notificationsOf(int32_t tag) const {
        size_t count = 0;
        for (const Notification& call : listener.calls) {
            count += call.tag == tag ? 1 : 0;
        }
        return count;
    }
    std::string fieldText() const {
        char text[kDisplayTextSize];
        editor->field->getText(text);
        return text;
    }
    // The field's edit box window, if one is open.
    std::vector<Window> editorChildren() { return x11.children(editorWindow); }

    Window host = 0;
    Window editorWindow = 0;
    ScriptedHostEffect effect;
    RecordingListener listener;
    ControlsEditor* editor = nullptr; // owned by the effect
};

TEST_F(ControlsWindow, ARealDragTurnsTheKnobContinuously) {
    // Clockwise along the arc from the top over the right to the lower right, one point per
    // host idle (every 50 ms of the drag); then the release.
    const std::vector<Point> path{{34, 13}, {40, 15}, {44, 20}, {47, 26},
                                  {47, 34}, {44, 40}, {40, 45}};
    PointerWalk walk(x11, editorWindow, path);
    std::vector<float> values;
    effect.onIdle = [&] {
        values.push_back(editor->knob->getValue());
        walk.step();
    };
    ReleaseWatchdog watchdog;
    movePointer(30, 12);
    x11.button(true);
    const bool released = idleUntil([&] { return walk.walked() && !values.empty(); });
    watchdog.stop();
    ASSERT_TRUE(released);
    ASSERT_GE(values.size(), path.size());
    EXPECT_NEAR(values.front(), 0.5f, 0.05f);
    size_t distinct = 1;
    for (size_t i = 1; i < values.size(); ++i) {
        EXPECT_GE(values[i], values[i - 1]) << "clockwise turns the value up";
        distinct += values[i] != values[i - 1] ? 1 : 0;
    }
    EXPECT_GE(distinct, path.size() - 1) << "the value followed the pointer step by step";
    EXPECT_GT(editor->knob->getValue(), 0.9f);
    EXPECT_GT(effect.masterIdles, static_cast<int>(path.size()));
    // The screen shows the frame of the final value.
    const auto finalFrame = static_cast<uint32_t>(editor->knob->frameTop() / 40) * 0x010203u;
    EXPECT_TRUE(
        idleUntil([&] { return editorPixel(kKnobArea.left, kKnobArea.top) == finalFrame; }));
}

TEST_F(ControlsWindow, RealWheelNotchesStepTheKnobAndShiftMakesThemFiner) {
    const auto notch = [this](unsigned int button) {
        x11.button(true, button);
        x11.button(false, button);
    };
    movePointer(30, 30);
    notch(4); // up
    ASSERT_TRUE(idleUntil([&] { return listener.calls.size() == 1; }));
    const float oneStep = editor->knob->getValue();
    EXPECT_EQ(static_cast<int>(oneStep * 127.0), 1);
    x11.key(XK_Shift_L, true);
    notch(5); // down
    x11.key(XK_Shift_L, false);
    ASSERT_TRUE(idleUntil([&] { return listener.calls.size() == 2; }));
    EXPECT_LT(editor->knob->getValue(), oneStep);
    EXPECT_GT(editor->knob->getValue(), oneStep - 1.0f / 127.0f) << "a tenth of a step";
}

TEST_F(ControlsWindow, ARealClickTogglesTheSwitch) {
    click(70, 20);
    ASSERT_TRUE(idleUntil([&] { return notificationsOf(1000) == 1; }));
    EXPECT_EQ(editor->toggle->getValue(), 1.0f);
    // The frame's connection pushed the pixels; this one sees them once the server has them.
    EXPECT_TRUE(idleUntil([&] {
        return editorPixel(kToggleArea.left, kToggleArea.top) == 0x010203u;
    })) << "the lower half";
    click(70, 20);
    ASSERT_TRUE(idleUntil([&] { return notificationsOf(1000) == 2; }));
    EXPECT_EQ(editor->toggle->getValue(), 0.0f);
    EXPECT_TRUE(idleUntil([&] { return editorPixel(kToggleArea.left, kToggleArea.top) == 0u; }));
}

TEST_F(ControlsWindow, Typing64AndReturnIntoATextFieldNotifiesOnce) {
    click(30, 70);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox() != nullptr; }));
    const std::vector<Window> boxes = editorChildren();
    ASSERT_EQ(boxes.size(), 1u);
    const Rect box = x11.placement(boxes[0]);
    EXPECT_EQ(box.left, kFieldArea.left);
    EXPECT_EQ(box.top, kFieldArea.top);
    EXPECT_EQ(box.width(), kFieldArea.width() + 1);
    EXPECT_EQ(box.height(), kFieldArea.height() + 1);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x11.display, &focus, &revert);
    EXPECT_EQ(focus, boxes[0]) << "the box takes the keyboard focus";

    key(XK_6);
    key(XK_4);
    key(XK_Return);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox() == nullptr; }));
    EXPECT_EQ(fieldText(), "64");
    EXPECT_EQ(notificationsOf(5), 1u);
    EXPECT_TRUE(editorChildren().empty()) << "the box's window is gone";

    click(70, 20);
    ASSERT_TRUE(idleUntil([&] { return notificationsOf(1000) == 1; }));
    EXPECT_EQ(notificationsOf(5), 1u) << "clicking elsewhere afterwards notifies nobody again";
}

TEST_F(ControlsWindow, EditingKeysAndAFocusLossCommit) {
    click(30, 70);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox() != nullptr; }));
    key(XK_End);
    key(XK_BackSpace);
    key(XK_2);
    key(XK_Home);
    key(XK_Delete);
    key(XK_1);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox()->text() == "12"; }));
    // The host takes the focus, as when the user clicks into the host's own window.
    XSetInputFocus(x11.display, host, RevertToParent, CurrentTime);
    XSync(x11.display, False);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox() == nullptr; }));
    EXPECT_EQ(fieldText(), "12");
    EXPECT_EQ(notificationsOf(5), 1u);
}

TEST_F(ControlsWindow, ClosingTheEditorWithTheBoxOpenCommits) {
    click(30, 70);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox() != nullptr; }));
    key(XK_9);
    ASSERT_TRUE(idleUntil([&] { return editor->field->getEditBox()->text() == "9"; }));
    editor->close();
    EXPECT_EQ(notificationsOf(5), 1u);
}

} // namespace
