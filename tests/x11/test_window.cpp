// The editor in real X11 windows: a parent window made here, as a host makes it, with events
// from the X server (XTEST presses) reaching the views through the editor's idle.
#include "gui/platform/x11/x11errors.h"
#include "tests/unit/recording_views.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/x11_session.h"

namespace {

// The host's side: its own connection and a top-level window to embed the editor in.
class HostWindow {
public:
    HostWindow(int x, int y) {
        if (x11.display != nullptr) {
            window = x11.makeHostWindow(x, y, 100, 80);
        }
    }
    ~HostWindow() {
        if (x11.display != nullptr && window != 0) {
            XDestroyWindow(x11.display, window);
        }
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    std::vector<Window> children() { return x11.children(window); }
    // The pixel (x, y) of the editor's window as the X server shows it.
    uint32_t editorPixel(int x, int y) {
        const std::vector<Window> inside = children();
        if (inside.size() != 1) {
            return 0xdeadbeef;
        }
        return x11.pixel(inside[0], x, y);
    }
    // A real button event at (x, y) of this window, through the XTEST extension.
    void button(int x, int y, unsigned int number, bool down) {
        x11.movePointer(window, x, y);
        x11.button(down, number);
    }

    X11Session x11;
    Window window = 0;
};

// Idles the editor as a host does until `done` holds, for at most two seconds.
bool idleUntil(EffectEditor& editor, const std::function<bool()>& done) {
    return repeatUntil([&editor] { editor.idle(); }, done, 200);
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << kNoDisplay;
        }
        ASSERT_NE(host.x11.display, nullptr);
        ASSERT_TRUE(host.x11.hasXTest());
        editor = new RecordingEditor(&effect);
    }

    bool painted(HostWindow& parent) {
        return parent.editorPixel(1, 1) == RecordingEditor::kBackground &&
               parent.editorPixel(10, 10) == 0xff0000 && parent.editorPixel(40, 10) == 0x0000ff;
    }

    HostWindow host{10, 20};
    CountingEffect effect;
    RecordingEditor* editor = nullptr; // owned by the effect
};

TEST_F(EditorWindow, OpensAChildWindowThatExposePaints) {
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_EQ(host.children().size(), 1u);
    EXPECT_EQ(host.children()[0], static_cast<Window>(reinterpret_cast<uintptr_t>(
                                      editor->getFrame()->getSystemWindow())));
    EXPECT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    // After the paint, idle pushes only what changed.
    editor->control->setValue(1.0f);
    EXPECT_TRUE(idleUntil(*editor, [&] { return host.editorPixel(10, 30) == 0xffffff; }));
}

TEST_F(EditorWindow, ARealPressReachesTheViewUnderThePointer) {
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    host.button(40, 10, 1, true);
    const bool reached = idleUntil(*editor, [&] { return !editor->viewB->presses.empty(); });
    host.button(40, 10, 1, false);
    ASSERT_TRUE(reached);
    EXPECT_EQ(editor->viewB->presses[0], (Point{40, 10}));
    // Asked during the press, the pointer query reports the button still held.
    EXPECT_EQ(editor->viewB->buttonsAtPress[0], ButtonLeft);
    EXPECT_TRUE(editor->viewA->presses.empty());

    host.button(10, 10, 3, true);
    host.button(10, 10, 3, false);
    EXPECT_TRUE(idleUntil(*editor, [&] { return editor->viewA->presses.size() == 1; }));
    host.button(40, 10, 2, true);
    host.button(40, 10, 2, false);
    for (int i = 0; i < 10; ++i) {
        editor->idle();
    }
    EXPECT_EQ(editor->viewB->presses.size(), 1u) << "the middle button is not a press";
}

TEST_F(EditorWindow, ClosingLeavesNoWindowBehind) {
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_EQ(host.children().size(), 1u);
    editor->close();
    EXPECT_TRUE(host.children().empty());
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    EXPECT_EQ(host.children().size(), 1u) << "opening again replaces the window";
    delete editor; // as the instance's deletion does
    effect.setEditor(nullptr);
    EXPECT_TRUE(host.children().empty());
}

TEST_F(EditorWindow, AParentDestroyedByTheHostStopsTheFrameQuietly) {
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    XDestroyWindow(host.x11.display, host.window);
    XSync(host.x11.display, False);
    host.window = 0;
    // Drawing before the editor hears of it reaches a window that is gone: no error may end the
    // process.
    editor->control->setValue(0.5f);
    editor->draw(nullptr);
    EXPECT_TRUE(idleUntil(*editor, [&] { return !editor->getFrame()->isOpen(); }));
    editor->draw(nullptr);
    editor->idle();
    editor->close();
}

TEST_F(EditorWindow, TwoEditorsWorkIndependently) {
    HostWindow secondHost(200, 20);
    CountingEffect secondEffect;
    auto* second = new RecordingEditor(&secondEffect);
    ASSERT_EQ(editor->open(windowHandle(host.window)), 1);
    ASSERT_EQ(second->open(windowHandle(secondHost.window)), 1);
    ASSERT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    ASSERT_TRUE(idleUntil(*second, [&] { return painted(secondHost); }));
    secondHost.button(10, 10, 1, true);
    secondHost.button(10, 10, 1, false);
    EXPECT_TRUE(idleUntil(*second, [&] { return second->viewA->presses.size() == 1; }));
    editor->idle();
    EXPECT_TRUE(editor->viewA->presses.empty());
    editor->close();
    second->control->setValue(1.0f);
    EXPECT_TRUE(idleUntil(*second, [&] { return secondHost.editorPixel(10, 30) == 0xffffff; }));
}

TEST_F(EditorWindow, WithoutADisplayOpenAnswersZero) {
    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":9999", 1);
    EXPECT_EQ(editor->open(windowHandle(host.window)), 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(editor->open(nullptr), 0) << "no parent window";
    EXPECT_EQ(editor->open(windowHandle(0x7ffffff)), 0) << "a parent that does not exist";
    EXPECT_TRUE(host.children().empty());
}

// A connection closed on one thread frees an address that a connection opened on another may get
// before the first is forgotten: forgetting the old one must not forget the new.
TEST(X11Errors, ForgettingAClosedConnectionKeepsANewOneAtTheSameAddress) {
    X11Session session;
    if (session.display == nullptr) {
        GTEST_SKIP() << kNoDisplay;
    }
    x11errors::watch(session.display); // the closed connection, not forgotten yet
    x11errors::watch(session.display); // the new one
    x11errors::unwatch(session.display);
    {
        const x11errors::Shield shield;
        XMapWindow(session.display, 0x1fffffff);
        XSync(session.display, False);
    }
    EXPECT_TRUE(x11errors::takeError(session.display));
    x11errors::unwatch(session.display);
}

} // namespace
