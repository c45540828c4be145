// The editor in real X11 windows: a parent window made here, as a host makes it, with events
// from the X server (XTEST presses) reaching the views through the editor's idle.
#include "tests/unit/recording_views.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

void* handle(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

// The host's side: its own connection and a top-level window to embed the editor in.
class HostWindow {
public:
    explicit HostWindow(int x, int y) : display(XOpenDisplay(nullptr)) {
        if (display == nullptr) {
            return;
        }
        window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 100, 80, 0, 0, 0x808080);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~HostWindow() {
        if (display != nullptr) {
            if (window != 0) {
                XDestroyWindow(display, window);
            }
            XCloseDisplay(display);
        }
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    std::vector<Window> children() {
        Window root = 0;
        Window parent = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        XSync(display, False);
        if (XQueryTree(display, window, &root, &parent, &list, &count) != 0) {
            result.assign(list, list + count);
            XFree(list);
        }
        return result;
    }
    // The pixel (x, y) of the editor's window as the X server shows it.
    uint32_t editorPixel(int x, int y) {
        const std::vector<Window> inside = children();
        if (inside.size() != 1) {
            return 0xdeadbeef;
        }
        XImage* image = XGetImage(display, inside[0], x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return 0xdeadbeef;
        }
        const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xffffff;
        XDestroyImage(image);
        return pixel;
    }
    // A real button event at (x, y) of this window, through the XTEST extension.
    void button(int x, int y, unsigned int number, bool down) {
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY,
                              &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XTestFakeButtonEvent(display, number, down ? True : False, CurrentTime);
        XSync(display, False);
    }

    Display* display;
    Window window = 0;
};

// Idles the editor as a host does until `done` holds, for at most two seconds.
bool idleUntil(EffectEditor& editor, const std::function<bool()>& done) {
    for (int i = 0; i < 200; ++i) {
        editor.idle();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display; run through tests/run-with-xvfb.sh";
        }
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        ASSERT_NE(host.display, nullptr);
        ASSERT_TRUE(XTestQueryExtension(host.display, &eventBase, &errorBase, &major, &minor));
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
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    ASSERT_EQ(host.children().size(), 1u);
    EXPECT_EQ(host.children()[0], static_cast<Window>(reinterpret_cast<uintptr_t>(
                                      editor->getFrame()->getSystemWindow())));
    EXPECT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    // After the paint, idle pushes only what changed.
    editor->control->setValue(1.0f);
    EXPECT_TRUE(idleUntil(*editor, [&] { return host.editorPixel(10, 30) == 0xffffff; }));
}

TEST_F(EditorWindow, ARealPressReachesTheViewUnderThePointer) {
    ASSERT_EQ(editor->open(handle(host.window)), 1);
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
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    ASSERT_EQ(host.children().size(), 1u);
    editor->close();
    EXPECT_TRUE(host.children().empty());
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    EXPECT_EQ(host.children().size(), 1u) << "opening again replaces the window";
    delete editor; // as the instance's deletion does
    effect.setEditor(nullptr);
    EXPECT_TRUE(host.children().empty());
}

TEST_F(EditorWindow, AParentDestroyedByTheHostStopsTheFrameQuietly) {
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    ASSERT_TRUE(idleUntil(*editor, [&] { return painted(host); }));
    XDestroyWindow(host.display, host.window);
    XSync(host.display, False);
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
    ASSERT_EQ(editor->open(handle(host.window)), 1);
    ASSERT_EQ(second->open(handle(secondHost.window)), 1);
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
    EXPECT_EQ(editor->open(handle(host.window)), 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(editor->open(nullptr), 0) << "no parent window";
    EXPECT_EQ(editor->open(handle(0x7ffffff)), 0) << "a parent that does not exist";
    EXPECT_TRUE(host.children().empty());
}

} // namespace
