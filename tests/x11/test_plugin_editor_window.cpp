// The built plug-in's editor in a host window on the private Xvfb, loaded and driven as a host
// does it: opened through the dispatcher, idled, and used with real X events (XTEST). What the X
// server shows must be, pixel for pixel, what the same editor draws headless when freshly opened
// on the parameters the plug-in holds.
#include "editor/editor.h"
#include "effect/AGain.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/headless.h"
#include "gui/png.h"
#include "resources/resources.h"
#include "tests/unit/event_list.h"
#include "tools/plughost/pluginhost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr float kStep = 0.0078125f;

// What a freshly opened editor shows for these parameter values, drawn without a display.
Surface freshEditorFor(const float (&parameters)[kNumParams]) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    Surface shown;
    {
        FilterEffect effect(nullptr);
        for (int32_t index = 0; index < kNumParams; ++index) {
            effect.setParameter(index, parameters[index]);
        }
        EffectEditor* editor = effect.getEditor();
        if (editor->open(nullptr) == 1) {
            platform.lastWindow()->queueExpose();
            editor->idle();
            shown = platform.lastWindow()->screen();
            editor->close();
        }
    }
    setPlatform(nullptr);
    return shown;
}

int differingPixels(const Surface& a, const Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) {
        return -1;
    }
    int differing = 0;
    for (int32_t y = 0; y < a.height(); ++y) {
        for (int32_t x = 0; x < a.width(); ++x) {
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}

class PluginEditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display; run through tests/run-with-xvfb.sh";
        }
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        int unused = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &unused, &unused, &unused, &unused));
        hostWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 20, 20, 260, 180, 0,
                                         0, 0x808080);
        XMapWindow(display, hostWindow);
        XSync(display, False);
        host.setObserver([this](const plughost::HostRequest& request) {
            if (request.opcode == audioMasterIdle && onHostIdle) {
                onHostIdle();
            }
        });
        plugin = std::make_unique<plughost::PluginInstance>(library(), host);
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right, 225);
        EXPECT_EQ(rect->bottom, 140);
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0,
                                   reinterpret_cast<void*>(static_cast<uintptr_t>(hostWindow))),
                  1);
        const std::vector<Window> inside = children(hostWindow);
        ASSERT_EQ(inside.size(), 1u);
        editorWindow = inside[0];
        ASSERT_TRUE(showsFreshEditor()) << "the opened editor never painted";
        host.clear();
    }
    void TearDown() override {
        if (display == nullptr) {
            return;
        }
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        if (plugin != nullptr) {
            plugin->dispatch(effEditClose);
            EXPECT_TRUE(children(hostWindow).empty()) << "closing leaves no window behind";
            plugin.reset();
        }
        XDestroyWindow(display, hostWindow);
        XCloseDisplay(display);
    }

    static plughost::PluginLibrary& library() {
        static plughost::PluginLibrary built(GLIDEFILTER_PLUGIN_PATH);
        return built;
    }

    // Idles the editor as a host does until `done` holds, for at most three seconds.
    bool idleUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 300; ++i) {
            plugin->dispatch(effEditIdle);
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // The X server's pixels of the editor's window. The plug-in's connection only flushes its
    // drawing, so callers poll until the server has caught up.
    Surface screen() {
        XSync(display, False);
        Surface shown(225, 140);
        XImage* image = XGetImage(display, editorWindow, 0, 0, 225, 140, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return Surface();
        }
        for (int32_t y = 0; y < 140; ++y) {
            for (int32_t x = 0; x < 225; ++x) {
                shown.data()[y * 225 + x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
            }
        }
        XDestroyImage(image);
        return shown;
    }
    // Whether the window shows what a fresh editor on the plug-in's current values shows; saves
    // both pictures when it never does.
    bool showsFreshEditor() {
        float parameters[kNumParams];
        for (int32_t index = 0; index < kNumParams; ++index) {
            parameters[index] = plugin->getParameter(index);
        }
        const Surface expected = freshEditorFor(parameters);
        if (idleUntil([&] { return differingPixels(screen(), expected) == 0; })) {
            return true;
        }
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        writePng(screen(), name + ".shown.png");
        writePng(expected, name + ".expected.png");
        ADD_FAILURE() << differingPixels(screen(), expected) << " pixels differ; saved as " << name
                      << ".shown.png / .expected.png";
        return false;
    }
    std::vector<Window> children(Window parent) {
        Window root = 0;
        Window above = 0;
        Window* list = nullptr;
        unsigned int count = 0;
        std::vector<Window> result;
        XSync(display, False);
        if (XQueryTree(display, parent, &root, &above, &list, &count) != 0) {
            result.assign(list, list + count);
            XFree(list);
        }
        return result;
    }
    void movePointer(int x, int y) {
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display, editorWindow, DefaultRootWindow(display), x, y, &rootX,
                              &rootY, &child);
        XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void button(bool down) {
        XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
        XSync(display, False);
    }
    void click(int x, int y) {
        movePointer(x, y);
        button(true);
        button(false);
    }
    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(display, symbol);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }
    std::vector<plughost::HostRequest> automation() const {
        return host.requestsWithOpcode(audioMasterAutomate);
    }
    // The switch at (left, top) shows the lit half of the switch picture.
    bool showsLitSwitch(int32_t left, int32_t top) {
        auto* picture = new Bitmap(kBitmapSwitch);
        const int32_t half = picture->getHeight() / 2;
        const Surface shown = screen();
        bool lit = half > 0;
        for (int32_t y = 0; y < half; ++y) {
            for (int32_t x = 0; x < picture->getWidth(); ++x) {
                lit = lit &&
                      shown.pixel(left + x, top + y) == picture->getPicture().pixel(x, half + y);
            }
        }
        picture->release();
        return lit;
    }

    Display* display = nullptr;
    Window hostWindow = 0;
    Window editorWindow = 0;
    plughost::RecordingHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    std::function<void()> onHostIdle;
};

TEST_F(PluginEditorWindow, AClickOnHighPassSetsTheFilterTypeAndTellsTheHost) {
    click(142, 80);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kFilterType) == 1.0f; }));
    const std::vector<plughost::HostRequest> automated = automation();
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, kFilterType);
    EXPECT_EQ(automated[0].opt, 1.0f);
    EXPECT_TRUE(idleUntil([&] { return showsLitSwitch(137, 75); }));
    EXPECT_TRUE(showsFreshEditor());
}

TEST_F(PluginEditorWindow, DraggingTheFrequencyKnobAutomatesItAndMovesTheReadout) {
    // From the top of the knob (centre 24, 63) clockwise to its right, one point per host idle
    // during the drag, then the release.
    const std::vector<Point> path{{30, 48}, {36, 51}, {40, 57}, {41, 63}};
    size_t next = 0;
    onHostIdle = [&] {
        if (next < path.size()) {
            movePointer(path[next].h, path[next].v);
            ++next;
        } else {
            button(false);
        }
    };
    // Should the drag loop never see the release, let go after a while so the test can fail.
    std::atomic<bool> finished{false};
    std::thread watchdog([&finished] {
        for (int i = 0; i < 500 && !finished; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!finished) {
            Display* rescue = XOpenDisplay(nullptr);
            XTestFakeButtonEvent(rescue, 1, False, CurrentTime);
            XCloseDisplay(rescue);
        }
    });
    movePointer(24, 47);
    button(true);
    const bool released = idleUntil([&] { return next == path.size(); });
    finished = true;
    watchdog.join();
    onHostIdle = nullptr;
    ASSERT_TRUE(released);
    EXPECT_NEAR(plugin->getParameter(kFrequency), 0.8333333f, 1e-6f);
    const std::vector<plughost::HostRequest> automated = automation();
    ASSERT_GE(automated.size(), 2u) << "the knob reported along the way";
    for (const plughost::HostRequest& request : automated) {
        EXPECT_EQ(request.index, kFrequency);
    }
    EXPECT_EQ(automated.back().opt, plugin->getParameter(kFrequency));
    EXPECT_TRUE(showsFreshEditor()) << "knob frame and read-out 105";
}

TEST_F(PluginEditorWindow, TypingIntoAFieldSetsItsControllerWithoutTellingTheHost) {
    click(23, 109);
    ASSERT_TRUE(idleUntil([&] { return children(editorWindow).size() == 1; }))
        << "the edit box opened";
    key(XK_6);
    key(XK_4);
    key(XK_Return);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kCcCutoff) == 0.5f; }));
    EXPECT_TRUE(children(editorWindow).empty());
    EXPECT_TRUE(automation().empty());
    EXPECT_EQ(plugin->parameterDisplay(kCcCutoff), "64");
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 64";
}

TEST_F(PluginEditorWindow, AControllerSentWhileLearningIsAssignedAndShown) {
    click(55, 125);
    ASSERT_TRUE(idleUntil([&] { return showsLitSwitch(50, 120); }));
    EventList events;
    events.controlChange(0, 20, 99);
    EXPECT_EQ(plugin->dispatch(effProcessEvents, 0, 0, events.get()), 1);
    EXPECT_EQ(plugin->getParameter(kCcRezo), 20 * kStep);
    events.clear();
    events.controlChange(0, 21, 99);
    plugin->dispatch(effProcessEvents, 0, 0, events.get());
    EXPECT_EQ(plugin->getParameter(kCcRezo), 20 * kStep) << "learning ended with 20";
    EXPECT_TRUE(automation().empty());
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 20 and the learn switch is dark";
}

TEST_F(PluginEditorWindow, HostAutomationShowsAtTheNextIdles) {
    plugin->setParameter(kGain, 1.0f);
    plugin->setParameter(kResonance, 0.75f);
    plugin->dispatch(effSetProgram, 0, 0);
    plugin->setParameter(kCcSmooth, 0.25f);
    EXPECT_TRUE(showsFreshEditor());
}

} // namespace
