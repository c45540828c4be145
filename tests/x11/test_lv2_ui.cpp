// The LV2 UI library as hosts load it, on a real X server: through plughost's LV2 host (the
// plug-in run by lilv, the UI embedded in a host window and driven with real input), and through
// its descriptor with features of the test's own for what plughost does not offer. Every change
// the panel makes must reach the plug-in's port as the VST 2 editor's automation reaches the VST 2
// plug-in, and what it shows must be what the VST 2 editor shows on the same values.
#include "lv2/ports.h"
#include "lv2/ui/filterui.h"
#include "lv2/uris.h"
#include "tests/unit/learn_orders.h"
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/plugin_editor_fixture.h"
#include "tools/plughost/formats/lv2uihost.h"

#include <X11/keysym.h>

namespace {

constexpr int kBlock = 64;

uint32_t portOf(int32_t parameter) {
    return kLv2FirstParameter + static_cast<uint32_t>(parameter);
}

struct PortWrite {
    uint32_t port;
    float value;
};

// A gesture's start or end, with the number of port writes before it.
struct Touch {
    uint32_t port;
    bool grabbed;
    size_t writesBefore;
    bool operator==(const Touch&) const = default;
};

class Lv2Ui : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (!ready()) {
            return;
        }
        hostWindow = x11.makeHostWindow(30, 30, 260, 180);
        plugin = std::make_unique<plughost::Lv2Plugin>(GLIDEFILTER_LV2_BUNDLE_PATH,
                                                       plughost::LoadSettings{});
        ui = std::make_unique<plughost::Lv2UiHost>(*plugin, x11.display);
        ui->setWriteObserver([this](const plughost::UiWrite& write) { recordWrite(write); });
        ui->setTouchObserver([this](const plughost::UiTouch& touch) {
            touches.push_back({touch.port, touch.grabbed, writes.size()});
        });
    }
    void TearDown() override {
        if (x11.display == nullptr) {
            return;
        }
        x11.button(false);
        ui.reset();
        plugin.reset();
        XDestroyWindow(x11.display, hostWindow);
        XSync(x11.display, False);
    }

    void recordWrite(const plughost::UiWrite& write) {
        EXPECT_TRUE(write.taken) << "port " << write.port;
        if (write.protocol == 0) {
            float value = 0.0f;
            std::memcpy(&value, write.data.data(), sizeof value);
            writes.push_back({write.port, value});
            if (onPortWrite) {
                onPortWrite();
            }
        } else {
            messages.push_back(write);
        }
    }

    void openUi() {
        ui->open(hostWindow, [](plughost::EditorSize) { return true; });
        editorWindow = ui->widget();
        ASSERT_NE(editorWindow, 0u);
        ASSERT_TRUE(showsVst2Editor()) << "the opened UI never painted";
    }
    bool idleUntil(const std::function<bool()>& done) {
        return repeatUntil([this] { ui->idle(); }, done);
    }
    // A block of silence with `events`, then what it changed to the UI, as a host runs one.
    void runBlock(std::vector<plughost::TimedMidiEvent> events = {}) {
        std::vector<float> left(kBlock);
        std::vector<float> right(kBlock);
        float* inputs[] = {left.data(), right.data()};
        float* outputs[] = {left.data(), right.data()};
        plugin->start({44100.0f, kBlock});
        plugin->process({inputs, outputs, kBlock, events, 0});
        plugin->stop();
        ui->deliverBlockOutputs();
    }
    float portValue(int32_t parameter) const { return plugin->portValue(portOf(parameter)); }
    // Whether the window shows what the VST 2 editor shows, freshly opened on the values the
    // plug-in's ports hold.
    bool showsVst2Editor() {
        float parameters[kNumParams];
        for (int32_t index = 0; index < kNumParams; ++index) {
            parameters[index] = parameterValueOfPort(index, portValue(index));
        }
        const Surface expected = freshEditorFor(parameters);
        const auto shown = [&] { return x11.read(editorWindow, kEditorWidth, kEditorHeight); };
        if (idleUntil([&] { return differingPixels(shown(), expected) == 0; })) {
            return true;
        }
        ADD_FAILURE() << differingPixels(shown(), expected) << " pixels differ";
        return false;
    }
    void click(int x, int y) { x11.click(editorWindow, x, y); }

    Window hostWindow = 0;
    Window editorWindow = 0;
    std::unique_ptr<plughost::Lv2Plugin> plugin;
    std::unique_ptr<plughost::Lv2UiHost> ui;
    std::vector<PortWrite> writes;
    std::vector<Touch> touches;
    std::vector<plughost::UiWrite> messages;
    std::function<void()> onPortWrite;
};

// Presses at `from` and walks the pointer along `path`, one point each time the editor reports
// a value (the LV2 UI's drag loop has no host idle to call), then lets go.
void dragReporting(X11Session& x11, Window window, Point from, const std::vector<Point>& path,
                   std::function<void()>& onReport, const std::function<void()>& idle) {
    PointerWalk walk(x11, window, path);
    onReport = [&walk] { walk.step(); };
    ReleaseWatchdog watchdog;
    x11.movePointer(window, from.h, from.v);
    x11.button(true);
    EXPECT_TRUE(repeatUntil(idle, [&walk] { return walk.walked(); }));
    watchdog.stop();
    onReport = nullptr;
    x11.button(false);
}

// The same drag on each knob of the VST 2 editor and of the LV2 UI: the LV2 UI writes the ports
// with the values the VST 2 editor automates, one write for each, inside one gesture (ui:touch),
// and ends showing what the VST 2 editor shows.
TEST_F(Lv2Ui, KnobDragsWriteThePortsWithTheValuesTheVst2EditorAutomates) {
    openUi();
    plughost::RecordingHost host;
    plughost::PluginInstance vst2(builtPlugin(), host);
    const Window vst2Host = x11.makeHostWindow(320, 30, 260, 180);
    ASSERT_EQ(vst2.dispatch(effEditOpen, 0, 0, windowHandle(vst2Host)), 1);
    const Window vst2Editor = x11.children(vst2Host).at(0);
    std::function<void()> onAutomate;
    host.setObserver([&](const plughost::HostRequest& request) {
        if (request.opcode == audioMasterAutomate && onAutomate) {
            onAutomate();
        }
    });
    const struct {
        int32_t parameter;
        int centre;
        int side;
    } knobs[] = {
        {kFrequency, 24, 1}, {kResonance, 67, -1}, {kSmoothness, 110, 1}, {kGain, 201, -1}};
    for (const auto& knob : knobs) {
        const int cx = knob.centre;
        const std::vector<Point> path{{cx + knob.side * 6, 48},
                                      {cx + knob.side * 12, 51},
                                      {cx + knob.side * 15, 57},
                                      {cx + knob.side * 17, 63}};
        host.clear();
        writes.clear();
        touches.clear();
        dragReporting(x11, vst2Editor, {cx + knob.side * 3, 47}, path, onAutomate,
                      [&] { vst2.dispatch(effEditIdle); });
        dragReporting(x11, editorWindow, {cx + knob.side * 3, 47}, path, onPortWrite,
                      [&] { ui->idle(); });
        const std::vector<plughost::HostRequest> automated =
            host.requestsWithOpcode(audioMasterAutomate);
        ASSERT_EQ(writes.size(), automated.size()) << kParameters[knob.parameter].name;
        ASSERT_GE(writes.size(), 2u);
        for (size_t i = 0; i < writes.size(); ++i) {
            EXPECT_EQ(writes[i].port, portOf(knob.parameter));
            EXPECT_EQ(writes[i].value, portValueOfParameter(knob.parameter, automated[i].opt))
                << kParameters[knob.parameter].name << " write " << i;
        }
        EXPECT_EQ(touches, (std::vector<Touch>{{portOf(knob.parameter), true, 0},
                                               {portOf(knob.parameter), false, writes.size()}}));
        EXPECT_TRUE(showsVst2Editor()) << kParameters[knob.parameter].name;
    }
    vst2.dispatch(effEditClose);
    XDestroyWindow(x11.display, vst2Host);
}

// Alt-click on a knob, the filter-type switches and a typed controller number: each writes its
// one port (fields and switches as the VST 2 editor sets them, without automation of their own
// in LV2: every port write is what the host records), and the window follows.
TEST_F(Lv2Ui, ClicksAndTypingWriteTheirPorts) {
    plugin->setParameter(kFrequency, 90.0);
    openUi();
    EXPECT_TRUE(writes.empty()) << "opening writes nothing";
    const struct {
        const char* action;
        std::function<void()> act;
        uint32_t port;
        float value;
    } cases[] = {
        {"Alt-click on Frequency",
         [&] {
             x11.key(XK_Alt_L, true);
             click(24, 63);
             x11.key(XK_Alt_L, false);
         },
         portOf(kFrequency), 50.0f},
        {"high-pass switch", [&] { click(142, 80); }, portOf(kFilterType), 1.0f},
        {"low-pass switch", [&] { click(142, 59); }, portOf(kFilterType), 0.0f},
        {"33 typed into CC Smooth",
         [&] {
             click(109, 109);
             ASSERT_TRUE(idleUntil([&] { return x11.children(editorWindow).size() == 1; }));
             for (KeySym key : {XK_BackSpace, XK_3, XK_3, XK_Return}) {
                 x11.type(key);
             }
         },
         portOf(kCcSmooth), 33.0f},
    };
    for (const auto& c : cases) {
        writes.clear();
        c.act();
        ASSERT_TRUE(idleUntil([&] { return !writes.empty(); })) << c.action;
        ASSERT_EQ(writes.size(), 1u) << c.action;
        EXPECT_EQ(writes[0].port, c.port) << c.action;
        EXPECT_EQ(writes[0].value, c.value) << c.action;
        EXPECT_EQ(plugin->portValue(c.port), c.value) << c.action;
        EXPECT_TRUE(showsVst2Editor()) << c.action;
    }
    EXPECT_TRUE(messages.empty());
}

// The host changes ports (automation, a preset): the knobs, switches and fields follow.
TEST_F(Lv2Ui, PortEventsMoveTheControls) {
    openUi();
    plugin->setParameter(kFrequency, 30.0);
    plugin->setParameter(kGain, -3.5);
    plugin->setParameter(kFilterType, 1.0);
    plugin->setParameter(kCcRezo, 20.0);
    runBlock();
    EXPECT_TRUE(showsVst2Editor());
    EXPECT_TRUE(writes.empty()) << "what the host sets is not written back";
}

// The learn switch sends the learn message; the plug-in takes the next controller in `run` and
// reports it on `notify`; the UI writes that controller to the port and shows it.
TEST_F(Lv2Ui, LearningGoesThroughThePluginAndEndsInThePort) {
    openUi();
    click(12, 125);
    ASSERT_TRUE(idleUntil([&] { return !messages.empty(); })) << "the learn message";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].port, kLv2Control);
    EXPECT_EQ(messages[0].protocol, plugin->urids().map(LV2_ATOM__eventTransfer));
    EXPECT_TRUE(writes.empty());
    runBlock({{5, {0xB0, 123, 0}}, {9, {0xB2, 42, 99}}});
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].port, portOf(kCcCutoff));
    EXPECT_EQ(writes[0].value, 42.0f);
    EXPECT_EQ(portValue(kCcCutoff), 42.0f);
    EXPECT_TRUE(showsVst2Editor()) << "the field reads 42 and the learn switch is dark";
    runBlock({{3, {0xB0, 43, 1}}});
    EXPECT_EQ(writes.size(), 1u) << "learning ended";
}

// Learning for CC Rezo in every order of the table (each block is run between an activate and a
// deactivate, as hosts do around transport; a session reopened opens a new UI): the controller
// ends in the port only when an editor that armed it is open to write it, and a reopened editor
// shows what the port holds.
TEST_F(Lv2Ui, LearningInEveryOrderEndsInThePortOrNowhere) {
    for (const LearnOrder& order : kLearnOrders) {
        SCOPED_TRACE(order.steps);
        plugin->setParameter(kCcRezo, kControllerOff);
        openUi();
        bool open = true;
        std::istringstream steps(order.steps);
        for (std::string step; steps >> step;) {
            if (step == "arm" || step == "off") {
                if (open) {
                    const size_t sent = messages.size();
                    click(56, 125);
                    ASSERT_TRUE(idleUntil([&] { return messages.size() == sent + 1; }));
                }
            } else if (step == "close" || (step == "save" && open)) {
                // A session reopened opens a new UI.
                ui->close();
                open = false;
            }
            if (step == "open" || step == "save") {
                openUi();
                open = true;
            } else if (step == "cc") {
                runBlock({{0, {0xB0, kLearnOrderController, 1}}});
            }
        }
        EXPECT_EQ(portValue(kCcRezo), order.learned ? kLearnOrderController : kControllerOff);
        if (!open) {
            openUi();
        }
        EXPECT_TRUE(showsVst2Editor());
        ui->close();
        messages.clear();
        writes.clear();
    }
}

// A host may close the UI from inside a write it receives: during a knob's drag, from a switch,
// from the learned controller's write (inside a port event). The UI survives, its window goes,
// and nothing more is written.
TEST_F(Lv2Ui, TheHostClosingTheUiFromInsideAWriteIsSurvived) {
    const struct {
        const char* name;
        Point press;
        bool learn;
    } cases[] = {
        {"knob", {41, 63}, false}, {"switch", {142, 80}, false}, {"learn", {12, 125}, true}};
    for (const auto& c : cases) {
        openUi();
        if (c.learn) {
            click(c.press.h, c.press.v);
            ASSERT_TRUE(idleUntil([&] { return !messages.empty(); })) << c.name;
        }
        writes.clear();
        onPortWrite = [this] { ui->close(); };
        ReleaseWatchdog watchdog;
        if (c.learn) {
            runBlock({{0, {0xB0, 7, 1}}});
        } else {
            x11.movePointer(editorWindow, c.press.h, c.press.v);
            x11.button(true);
            EXPECT_TRUE(idleUntil([&] { return !writes.empty(); })) << c.name;
        }
        watchdog.stop();
        x11.button(false);
        onPortWrite = nullptr;
        EXPECT_EQ(writes.size(), 1u) << c.name;
        EXPECT_TRUE(x11.children(hostWindow).empty()) << c.name;
        EXPECT_FALSE(ui->idle()) << c.name;
        messages.clear();
    }
}

// Two instances' UIs at once, each on its own values.
TEST_F(Lv2Ui, TwoUisOfTwoInstancesWorkSideBySide) {
    plughost::Lv2Plugin secondPlugin(GLIDEFILTER_LV2_BUNDLE_PATH, plughost::LoadSettings{});
    plughost::Lv2UiHost second(secondPlugin, x11.display);
    const Window secondHost = x11.makeHostWindow(320, 30, 260, 180);
    secondPlugin.setParameter(kGain, 0.0);
    second.open(secondHost, [](plughost::EditorSize) { return true; });
    openUi();
    click(142, 80);
    ASSERT_TRUE(idleUntil([&] { return portValue(kFilterType) == 1.0f; }));
    float values[kNumParams];
    for (int32_t index = 0; index < kNumParams; ++index) {
        values[index] = parameterValueOfPort(index, secondPlugin.portValue(portOf(index)));
    }
    const Surface expected = freshEditorFor(values);
    EXPECT_TRUE(repeatUntil([&] { second.idle(); },
                            [&] {
                                return differingPixels(
                                           x11.read(second.widget(), kEditorWidth, kEditorHeight),
                                           expected) == 0;
                            }));
    EXPECT_EQ(secondPlugin.portValue(portOf(kFilterType)), 0.0f);
    EXPECT_TRUE(showsVst2Editor());
    second.close();
    XDestroyWindow(x11.display, secondHost);
}

// What a UI host answers to ui:resize, and whether it offers ui:touch.
enum class Resize { honoured, refused, notOffered };
struct Offers {
    Resize resize = Resize::honoured;
    bool touch = false;
};

// The UI library driven through its descriptor, with the features a test chooses.
class Lv2UiLibrary : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (!ready()) {
            return;
        }
        library = dlopen(GLIDEFILTER_LV2_BUNDLE_PATH "/glidefilter_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        const auto entry =
            reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, kLv2UiUri);
        EXPECT_EQ(entry(1), nullptr);
        hostWindow = x11.makeHostWindow(30, 30, 500, 300);
    }
    void TearDown() override {
        if (hostWindow != 0) {
            XDestroyWindow(x11.display, hostWindow);
        }
        if (library != nullptr) {
            dlclose(library);
        }
    }

    // Instantiates with a parent (unless null), the URI map, a scale factor (unless 0) and what
    // `offers` says; null when the UI refuses. The size it asked for lands in `asked`.
    LV2UI_Handle instantiate(void* parent, float scaleFactor, Offers offers = {}) {
        options = {LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, uris.map(LV2_UI__scaleFactor),
                                      sizeof(float), uris.map(LV2_ATOM__Float), &scaleFactor},
                   LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature parentFeature{LV2_UI__parent, parent};
        resize.handle = offers.resize == Resize::honoured ? &asked : nullptr;
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Feature touchFeature{LV2_UI__touch, &touch};
        const LV2_Feature mapFeature{LV2_URID__map, uris.mapFeature()};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options, options.data()};
        std::vector<const LV2_Feature*> features{&mapFeature};
        if (offers.resize != Resize::notOffered) {
            features.push_back(&resizeFeature);
        }
        if (offers.touch) {
            features.push_back(&touchFeature);
        }
        if (parent != nullptr) {
            features.push_back(&parentFeature);
        }
        if (scaleFactor != 0.0f) {
            features.push_back(&optionsFeature);
        }
        features.push_back(nullptr);
        LV2UI_Widget widget = nullptr;
        asked = {};
        return descriptor->instantiate(descriptor, kLv2PluginUri, GLIDEFILTER_LV2_BUNDLE_PATH "/",
                                       recordWrite, this, &widget, features.data());
    }
    int idle(LV2UI_Handle handle) const {
        const auto* idler = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        return idler->idle(handle);
    }
    static void recordWrite(LV2UI_Controller controller, uint32_t port, uint32_t, uint32_t,
                            const void*) {
        static_cast<Lv2UiLibrary*>(controller)->events.push_back("write " + std::to_string(port));
    }
    // A host that ignores the request (null handle) answers that it did not resize.
    static int askSize(LV2UI_Feature_Handle handle, int width, int height) {
        if (handle == nullptr) {
            return 1;
        }
        *static_cast<plughost::EditorSize*>(handle) = {width, height};
        return 0;
    }
    static void recordTouch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
        static_cast<Lv2UiLibrary*>(handle)->events.push_back((grabbed ? "grab " : "release ") +
                                                             std::to_string(port));
    }

    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    Window hostWindow = 0;
    plughost::UridMap uris;
    std::array<LV2_Options_Option, 2> options{};
    plughost::EditorSize asked;
    LV2UI_Resize resize{&asked, askSize};
    LV2UI_Touch touch{this, recordTouch};
    // The UI's writes and gestures, in order.
    std::vector<std::string> events;
};

TEST(Lv2UiScale, TheHostsFactorIsRoundedToAWholeScaleFrom1To4) {
    const struct {
        float factor;
        int32_t scale;
    } cases[] = {{1.0f, 1},
                 {1.49f, 1},
                 {1.5f, 2},
                 {2.0f, 2},
                 {0.3f, 1},
                 {3.6f, 4},
                 {9.0f, 4},
                 {0.0f, 0},
                 {-2.0f, 0},
                 {std::numeric_limits<float>::quiet_NaN(), 0},
                 {std::numeric_limits<float>::infinity(), 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(hostScaleOf(c.factor), c.scale) << c.factor;
    }
}

// GLIDEFILTER_SCALE first, then the host's scale factor; the size asked for follows, and the
// size the window tells embedding toolkits it keeps.
TEST_F(Lv2UiLibrary, TheScaleComesFromTheUserThenTheHost) {
    const struct {
        const char* variable;
        float factor;
        plughost::EditorSize size;
    } cases[] = {{nullptr, 2.0f, {450, 280}},
                 {"1", 2.0f, {225, 140}},
                 {"2", 0.0f, {450, 280}},
                 {nullptr, 1.2f, {225, 140}},
                 {"x", 2.2f, {450, 280}}};
    for (const auto& c : cases) {
        if (c.variable != nullptr) {
            setenv("GLIDEFILTER_SCALE", c.variable, 1);
        }
        LV2UI_Handle handle = instantiate(windowHandle(hostWindow), c.factor);
        unsetenv("GLIDEFILTER_SCALE");
        ASSERT_NE(handle, nullptr) << c.factor;
        EXPECT_EQ(asked.width, c.size.width) << c.factor;
        EXPECT_EQ(asked.height, c.size.height) << c.factor;
        const std::vector<Window> inside = x11.children(hostWindow);
        ASSERT_EQ(inside.size(), 1u);
        EXPECT_EQ(x11.placement(inside[0]).width(), c.size.width);
        XSizeHints hints{};
        long supplied = 0;
        ASSERT_NE(XGetWMNormalHints(x11.display, inside[0], &hints, &supplied), 0);
        EXPECT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize) << "a fixed size";
        EXPECT_EQ(hints.min_width, c.size.width);
        EXPECT_EQ(hints.max_height, c.size.height);
        descriptor->cleanup(handle);
        EXPECT_TRUE(x11.children(hostWindow).empty());
    }
}

// What UI hosts were seen to offer, each as a row: the editor opens at its own size whether the
// host honours ui:resize, ignores it (MusE) or has none, and a wheel turn on a knob writes its
// port, inside a gesture where the host offers ui:touch (Ardour).
TEST_F(Lv2UiLibrary, OpensAndWritesWhateverTheHostOffers) {
    const uint32_t frequency = portOf(kFrequency);
    const std::string write = "write " + std::to_string(frequency);
    const struct {
        const char* host;
        Offers offers;
        std::vector<std::string> events;
    } rows[] = {
        {"resize and touch",
         {Resize::honoured, true},
         {"grab " + std::to_string(frequency), write, "release " + std::to_string(frequency)}},
        {"resize, no touch", {Resize::honoured, false}, {write}},
        {"resize ignored, no touch", {Resize::refused, false}, {write}},
        {"no resize, no touch", {Resize::notOffered, false}, {write}},
    };
    for (const auto& row : rows) {
        events.clear();
        LV2UI_Handle handle = instantiate(windowHandle(hostWindow), 0.0f, row.offers);
        ASSERT_NE(handle, nullptr) << row.host;
        const std::vector<Window> inside = x11.children(hostWindow);
        ASSERT_EQ(inside.size(), 1u) << row.host;
        EXPECT_EQ(x11.placement(inside[0]).width(), kEditorWidth) << row.host;
        EXPECT_EQ(x11.placement(inside[0]).height(), kEditorHeight) << row.host;
        x11.movePointer(inside[0], 24, 47);
        x11.button(true, 4);
        x11.button(false, 4);
        EXPECT_TRUE(repeatUntil([&] { idle(handle); }, [&] { return !events.empty(); }));
        EXPECT_EQ(events, row.events) << row.host;
        descriptor->cleanup(handle);
    }
}

// No parent, a parent that does not exist, no display: the UI refuses, and the host goes on.
TEST_F(Lv2UiLibrary, RefusesToOpenWithoutAWindowToOpenIn) {
    EXPECT_EQ(instantiate(nullptr, 0.0f), nullptr);
    EXPECT_EQ(instantiate(windowHandle(0x1fffffff), 0.0f), nullptr);
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(instantiate(windowHandle(hostWindow), 0.0f), nullptr);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_TRUE(x11.children(hostWindow).empty());
    LV2UI_Handle handle = instantiate(windowHandle(hostWindow), 0.0f);
    ASSERT_NE(handle, nullptr) << "and opens once it has one";
    descriptor->cleanup(handle);
}

} // namespace
