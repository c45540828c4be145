// The built plug-in as a user meets it on a real X server: loaded with dlopen, its editor opened
// in a host window, driven with real pointer and keyboard input (XTEST). Every step is checked
// three ways: in the parameters, in the requests the host received, and in the window's pixels.
// Then the editor's life on the server: many open/close cycles, closing the instance with the
// editor open, windows that vanish or never existed, and what each leaves behind.
#include "effect/AGain.h"
#include "gui/bitmap.h"
#include "gui/headless.h"
#include "gui/png.h"
#include "resources/resources.h"
#include "tests/unit/event_list.h"
#include "tools/plughost/pluginhost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
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

constexpr int kWidth = 225;
constexpr int kHeight = 140;
constexpr int kCycles = 50;

plughost::PluginLibrary& library() {
    static plughost::PluginLibrary built(GLIDEFILTER_PLUGIN_PATH);
    return built;
}

void* handle(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

// What a freshly opened editor shows on these parameter values, drawn without a display.
Surface freshEditorFor(const float (&parameters)[kNumParams]) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    Surface shown;
    {
        FilterEffect effect(nullptr);
        for (int32_t index = 0; index < kNumParams; ++index) {
            effect.setParameter(index, parameters[index]);
        }
        if (effect.getEditor()->open(nullptr) == 1) {
            platform.lastWindow()->queueExpose();
            effect.getEditor()->idle();
            shown = platform.lastWindow()->screen();
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

// The process's open descriptors: every X connection is one.
int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// X errors on the test's own connection; a plug-in must neither cause them nor take the handler.
std::atomic<int> hostErrors{0};
int countHostError(Display*, XErrorEvent*) {
    ++hostErrors;
    return 0;
}

struct KnobPlace {
    int32_t parameter;
    int left;
    int width;
    float defaultValue;
    int centreX() const { return left + width / 2; }
};

constexpr KnobPlace kKnobs[] = {
    {kFrequency, 7, 34, 0.5f},
    {kResonance, 51, 33, 0.1f},
    {kSmoothness, 94, 33, 0.1f},
    {kGain, 185, 33, 0.5f},
};
constexpr int kKnobTop = 46;
constexpr int kKnobMiddle = 63;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display; run through tests/run-with-xvfb.sh";
        }
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        int unused = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &unused, &unused, &unused, &unused));
        hostErrors = 0;
        XSetErrorHandler(&countHostError);
        hostWindow = makeHostWindow(30, 30);
        host.setObserver([this](const plughost::HostRequest& request) {
            if (request.opcode == audioMasterIdle && onHostIdle) {
                onHostIdle();
            }
        });
        windowsBefore = windowCount();
        descriptorsBefore = openDescriptors();
        plugin = std::make_unique<plughost::PluginInstance>(library(), host);
    }
    void TearDown() override {
        if (display == nullptr) {
            return;
        }
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        if (plugin != nullptr) {
            plugin->dispatch(effEditClose);
            plugin.reset();
        }
        EXPECT_EQ(windowCount(), windowsBefore) << "windows left on the server";
        EXPECT_EQ(openDescriptors(), descriptorsBefore) << "connections left open";
        EXPECT_EQ(XSetErrorHandler(nullptr), &countHostError) << "the host's handler was taken";
        EXPECT_EQ(hostErrors, 0);
        XDestroyWindow(display, hostWindow);
        XCloseDisplay(display);
    }

    Window makeHostWindow(int x, int y) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 260,
                                                  180, 0, 0, 0x808080);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
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
    // Every window on the server, at any depth.
    int windowCount(Window from = 0) {
        int count = 0;
        for (Window child : children(from == 0 ? DefaultRootWindow(display) : from)) {
            count += 1 + windowCount(child);
        }
        return count;
    }

    // Opens the editor into the host window and waits until it shows what it should.
    void openEditor() {
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, handle(hostWindow)), 1);
        const std::vector<Window> inside = children(hostWindow);
        ASSERT_EQ(inside.size(), 1u);
        editorWindow = inside[0];
        ASSERT_TRUE(showsFreshEditor()) << "the opened editor never painted";
        host.clear();
    }
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
    Surface screen() {
        XSync(display, False);
        Surface shown(kWidth, kHeight);
        XImage* image = XGetImage(display, editorWindow, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return Surface();
        }
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                shown.data()[y * kWidth + x] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
            }
        }
        XDestroyImage(image);
        return shown;
    }
    // The window shows what a fresh editor on the plug-in's current values shows; both
    // pictures are saved when it never does.
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
    // The switch at (left, top) shows the lit (or dark) half of the switch picture.
    bool showsSwitch(int32_t left, int32_t top, bool lit) {
        auto* image = new Bitmap(kBitmapSwitch);
        const int32_t half = image->getHeight() / 2;
        const Surface shown = screen();
        bool same = half > 0;
        for (int32_t y = 0; y < half; ++y) {
            for (int32_t x = 0; x < image->getWidth(); ++x) {
                same = same && shown.pixel(left + x, top + y) ==
                                   image->getPicture().pixel(x, (lit ? half : 0) + y);
            }
        }
        image->release();
        return same;
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
    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, symbol), down ? True : False,
                          CurrentTime);
        XSync(display, False);
    }
    void type(KeySym symbol) {
        key(symbol, true);
        key(symbol, false);
    }

    // Presses at `from` and walks the pointer along `path`, one point each time the knob's drag
    // loop lets the host idle, then lets go. A watchdog lets go should the loop never end.
    bool drag(Point from, const std::vector<Point>& path) {
        size_t next = 0;
        onHostIdle = [&] {
            if (next < path.size()) {
                movePointer(path[next].h, path[next].v);
                ++next;
            } else {
                button(false);
            }
        };
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
        movePointer(from.h, from.v);
        button(true);
        const bool walked = idleUntil([&] { return next == path.size(); });
        finished = true;
        watchdog.join();
        onHostIdle = nullptr;
        button(false);
        return walked;
    }
    // The automation the host received since the last clear, as (index, value) pairs.
    std::vector<plughost::HostRequest> automation() const {
        return host.requestsWithOpcode(audioMasterAutomate);
    }
    void expectAutomatedOnly(int32_t parameter, float last) {
        const std::vector<plughost::HostRequest> automated = automation();
        ASSERT_FALSE(automated.empty()) << "parameter " << parameter;
        for (const plughost::HostRequest& request : automated) {
            EXPECT_EQ(request.index, parameter);
        }
        EXPECT_EQ(automated.back().opt, last) << "parameter " << parameter;
        EXPECT_EQ(plugin->getParameter(parameter), last);
    }

    Display* display = nullptr;
    Window hostWindow = 0;
    Window editorWindow = 0;
    int windowsBefore = 0;
    int descriptorsBefore = 0;
    plughost::RecordingHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    std::function<void()> onHostIdle;
};

// Each knob is turned from its top to one side, alternately clockwise and counter-clockwise, so
// that two knobs bound to the wrong parameters could not give the same result.
TEST_F(EndToEnd, DraggingEachKnobAutomatesItsParameterAndRedrawsIt) {
    openEditor();
    bool clockwise = true;
    for (const KnobPlace& knob : kKnobs) {
        const int side = clockwise ? 1 : -1;
        const int cx = knob.centreX();
        const std::vector<Point> path{{cx + side * 6, 48},
                                      {cx + side * 12, 51},
                                      {cx + side * 15, 57},
                                      {clockwise ? knob.left + knob.width : knob.left, 63}};
        host.clear();
        ASSERT_TRUE(drag({cx, kKnobTop + 1}, path)) << "knob " << knob.parameter;
        const float value = plugin->getParameter(knob.parameter);
        if (clockwise) {
            EXPECT_GT(value, 0.8f) << "knob " << knob.parameter;
        } else {
            EXPECT_LT(value, 0.2f) << "knob " << knob.parameter;
        }
        expectAutomatedOnly(knob.parameter, value);
        EXPECT_GE(automation().size(), 2u) << "the knob reported along the way";
        EXPECT_TRUE(showsFreshEditor()) << "knob " << knob.parameter;
        clockwise = !clockwise;
    }
}

TEST_F(EndToEnd, AltClickPutsEachKnobBackToItsDefault) {
    plugin->setParameter(kFrequency, 0.9f);
    plugin->setParameter(kResonance, 0.9f);
    plugin->setParameter(kSmoothness, 0.9f);
    plugin->setParameter(kGain, 0.9f);
    openEditor();
    for (const KnobPlace& knob : kKnobs) {
        host.clear();
        key(XK_Alt_L, true);
        click(knob.centreX(), kKnobMiddle);
        key(XK_Alt_L, false);
        ASSERT_TRUE(idleUntil([&] { return !automation().empty(); })) << "knob " << knob.parameter;
        expectAutomatedOnly(knob.parameter, knob.defaultValue);
        EXPECT_EQ(automation().size(), 1u);
        EXPECT_TRUE(showsFreshEditor()) << "knob " << knob.parameter;
    }
}

// The user's whole round: filter type both ways, a typed controller, a learned one, with the
// host told exactly of the filter type.
TEST_F(EndToEnd, SwitchesFieldsAndLearnThroughRealInput) {
    openEditor();
    click(142, 80);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kFilterType) == 1.0f; }));
    EXPECT_TRUE(showsSwitch(137, 75, true));
    EXPECT_TRUE(showsSwitch(137, 54, false));
    click(142, 59);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kFilterType) == 0.0f; }));
    EXPECT_TRUE(showsFreshEditor()) << "low-pass lit again";
    std::vector<plughost::HostRequest> automated = automation();
    ASSERT_EQ(automated.size(), 2u);
    EXPECT_EQ(automated[0].index, kFilterType);
    EXPECT_EQ(automated[0].opt, 1.0f);
    EXPECT_EQ(automated[1].index, kFilterType);
    EXPECT_EQ(automated[1].opt, 0.0f);

    host.clear();
    click(109, 109);
    ASSERT_TRUE(idleUntil([&] { return children(editorWindow).size() == 1; })) << "edit box";
    type(XK_BackSpace);
    type(XK_3);
    type(XK_3);
    type(XK_Return);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kCcSmooth) == 33.0f / 128.0f; }));
    EXPECT_TRUE(children(editorWindow).empty()) << "the edit box closed";
    EXPECT_EQ(plugin->parameterDisplay(kCcSmooth), "33");
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 33";

    click(12, 125);
    ASSERT_TRUE(idleUntil([&] { return showsSwitch(7, 120, true); })) << "learn armed";
    EventList events;
    events.controlChange(0, 123, 0); // all notes off: not learned
    events.controlChange(5, 42, 99);
    EXPECT_EQ(plugin->dispatch(effProcessEvents, 0, 0, events.get()), 1);
    EXPECT_EQ(plugin->getParameter(kCcCutoff), 42.0f / 128.0f);
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 42 and the learn switch is dark";
    EXPECT_TRUE(automation().empty()) << "fields and learning are not automation";
}

TEST_F(EndToEnd, OpenCloseCyclesOnTheServerLeaveNoWindowOrConnection) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, handle(hostWindow)), 1) << cycle;
        const std::vector<Window> inside = children(hostWindow);
        ASSERT_EQ(inside.size(), 1u) << cycle;
        editorWindow = inside[0];
        for (int i = 0; i < 3; ++i) {
            plugin->dispatch(effEditIdle);
        }
        if (cycle % 5 == 0) {
            // Closed with an edit box open on the server.
            click(66, 109);
            ASSERT_TRUE(idleUntil([&] { return children(editorWindow).size() == 1; })) << cycle;
        }
        if (cycle % 7 == 0) {
            plugin->setParameter(kGain, static_cast<float>(cycle) / kCycles);
        }
        plugin->dispatch(effEditClose);
        ASSERT_TRUE(children(hostWindow).empty()) << cycle;
        plugin->dispatch(effEditIdle);
    }
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    openEditor(); // and it still works
}

TEST_F(EndToEnd, ClosingTheInstanceWithItsEditorOpenTakesItsWindowAlong) {
    openEditor();
    click(23, 109);
    ASSERT_TRUE(idleUntil([&] { return children(editorWindow).size() == 1; }));
    type(XK_7);
    plugin->close();
    plugin.reset();
    EXPECT_TRUE(children(hostWindow).empty());
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST_F(EndToEnd, TwoInstancesEditorsOpenAtOnceCloseInEitherOrder) {
    plughost::RecordingHost otherHost;
    auto other = std::make_unique<plughost::PluginInstance>(library(), otherHost);
    const Window otherWindow = makeHostWindow(320, 30);
    openEditor();
    ASSERT_EQ(other->dispatch(effEditOpen, 0, 0, handle(otherWindow)), 1);
    other->setParameter(kFrequency, 0.1f);
    for (int i = 0; i < 5; ++i) {
        other->dispatch(effEditIdle);
        plugin->dispatch(effEditIdle);
    }
    plugin->dispatch(effEditClose);
    EXPECT_TRUE(children(hostWindow).empty());
    other->dispatch(effEditIdle);
    EXPECT_EQ(children(otherWindow).size(), 1u) << "the other editor stays";
    other->close(); // with its editor still open
    EXPECT_TRUE(children(otherWindow).empty());
    XDestroyWindow(display, otherWindow);
    XSync(display, False);
}

// A session with many instances, each editor on a connection of its own, closed out of order:
// some editors first, the rest with their instance.
TEST_F(EndToEnd, ManyEditorsOpenAtOnceAreClosedInAnyOrder) {
    constexpr int kEditors = 16;
    std::vector<std::unique_ptr<plughost::PluginInstance>> instances;
    std::vector<Window> windows;
    for (int i = 0; i < kEditors; ++i) {
        instances.push_back(std::make_unique<plughost::PluginInstance>(library(), host));
        windows.push_back(makeHostWindow(10 * i, 5 * i));
        ASSERT_EQ(instances.back()->dispatch(effEditOpen, 0, 0, handle(windows.back())), 1) << i;
    }
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < kEditors; ++i) {
            instances[i]->setParameter(kFrequency, static_cast<float>(i + round) / kEditors);
            instances[i]->dispatch(effEditIdle);
        }
    }
    for (int i = 0; i < kEditors; ++i) {
        const int which = (i * 7) % kEditors;
        if (which % 2 == 0) {
            instances[which]->dispatch(effEditClose);
        }
        instances[which]->close();
        EXPECT_TRUE(children(windows[which]).empty()) << which;
    }
    for (Window window : windows) {
        XDestroyWindow(display, window);
    }
    XSync(display, False);
}

// A window id is whatever number the host passes: none, one that never existed, a pixmap,
// a window already destroyed. Each must open nothing, leak nothing, and raise no error that
// reaches the host's own handler.
TEST_F(EndToEnd, BadParentWindowsOpenNothing) {
    const Pixmap pixmap = XCreatePixmap(display, hostWindow, 8, 8, 24);
    const Window gone = makeHostWindow(5, 5);
    XDestroyWindow(display, gone);
    XSync(display, False);
    const uintptr_t parents[] = {0, 0x1fffffff, 0xdeadbeef, ~uintptr_t{0}, pixmap, gone};
    for (uintptr_t parent : parents) {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 0)
            << std::hex << parent;
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
    }
    XFreePixmap(display, pixmap);
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    openEditor(); // a good window afterwards still works
}

TEST_F(EndToEnd, AHostWindowDestroyedUnderTheEditorIsSurvived) {
    const Window doomed = makeHostWindow(40, 260);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, handle(doomed)), 1);
    plugin->dispatch(effEditIdle);
    XDestroyWindow(display, doomed);
    XSync(display, False);
    for (int i = 0; i < 5; ++i) {
        plugin->dispatch(effEditIdle);
    }
    plugin->setParameter(kFrequency, 0.3f);
    plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST_F(EndToEnd, WithoutADisplayTheEditorDoesNotOpen) {
    const std::string saved = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    const auto answer = plugin->dispatch(effEditOpen, 0, 0, handle(hostWindow));
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(children(hostWindow).empty());
}

} // namespace
