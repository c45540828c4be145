// The built plug-in as a user meets it on a real X server: loaded with dlopen, its editor opened
// in a host window, driven with real pointer and keyboard input (XTEST). Every step is checked
// three ways: in the parameters, in the requests the host received, and in the window's pixels.
// Then the editor's life on the server: many open/close cycles, closing the instance with the
// editor open, windows that vanish or never existed, and what each leaves behind.
#include "tests/unit/event_list.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/plugin_editor_fixture.h"

#include <X11/keysym.h>

namespace {

constexpr int kCycles = 50;

// The process's open descriptors: every X connection is one.
int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

// The process's I/O error handler, left in place.
XIOErrorHandler installedIoErrorHandler() {
    const XIOErrorHandler installed = XSetIOErrorHandler(nullptr);
    XSetIOErrorHandler(installed);
    return installed;
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

class EndToEnd : public PluginEditorFixture {
protected:
    EndToEnd() : PluginEditorFixture({30, 30}) {}

    void SetUp() override {
        hostErrors = 0;
        XSetErrorHandler(&countHostError);
        hostIoErrorHandler = XSetIOErrorHandler(nullptr);
        XSetIOErrorHandler(hostIoErrorHandler);
        PluginEditorFixture::SetUp();
        if (!ready()) {
            return;
        }
        windowsBefore = windowCount();
        descriptorsBefore = openDescriptors();
        plugin = std::make_unique<plughost::PluginInstance>(builtPlugin(), host);
    }
    void checkPluginClosed() override {
        EXPECT_EQ(windowCount(), windowsBefore) << "windows left on the server";
        EXPECT_EQ(openDescriptors(), descriptorsBefore) << "connections left open";
        EXPECT_EQ(XSetErrorHandler(nullptr), &countHostError) << "the host's handler was taken";
        EXPECT_EQ(XSetIOErrorHandler(hostIoErrorHandler), hostIoErrorHandler);
        EXPECT_EQ(hostErrors, 0);
    }

    Window makeHostWindow(int x, int y) { return x11.makeHostWindow(x, y, 260, 180); }
    std::vector<Window> children(Window parent) { return x11.children(parent); }
    // Every window on the server, at any depth.
    int windowCount(Window from = 0) {
        int count = 0;
        for (Window child : children(from == 0 ? DefaultRootWindow(x11.display) : from)) {
            count += 1 + windowCount(child);
        }
        return count;
    }

    // Opens the editor into the host window and waits until it shows what it should.
    void openEditor() {
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, windowHandle(hostWindow)), 1);
        const std::vector<Window> inside = children(hostWindow);
        ASSERT_EQ(inside.size(), 1u);
        editorWindow = inside[0];
        ASSERT_TRUE(showsFreshEditor()) << "the opened editor never painted";
        host.clear();
    }
    void key(KeySym symbol, bool down) { x11.key(symbol, down); }
    void type(KeySym symbol) { x11.type(symbol); }

    void expectAutomatedOnly(int32_t parameter, float last) {
        const std::vector<plughost::HostRequest> automated = automation();
        ASSERT_FALSE(automated.empty()) << "parameter " << parameter;
        for (const plughost::HostRequest& request : automated) {
            EXPECT_EQ(request.index, parameter);
        }
        EXPECT_EQ(automated.back().opt, last) << "parameter " << parameter;
        EXPECT_EQ(plugin->getParameter(parameter), last);
    }

    // An X error of the host's own: a window that does not exist.
    int provokeHostError() {
        hostErrors = 0;
        XMapWindow(x11.display, 0x1fffffff);
        XSync(x11.display, False);
        return hostErrors.exchange(0);
    }

    int windowsBefore = 0;
    int descriptorsBefore = 0;
    XIOErrorHandler hostIoErrorHandler = nullptr;
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

// A host may run its own loop inside the requests the editor makes, and close the editor (and
// perhaps reopen it) or the whole instance there, while the drag or the press that made the
// request is still on the editor's stack.
enum class HostCloses { Editor, EditorAndReopens, Instance };

struct ReentryCase {
    int32_t request;
    Point press;
    bool held; // a drag; otherwise a click
};

TEST_F(EndToEnd, TheHostClosingFromInsideARequestIsSurvived) {
    const ReentryCase cases[] = {
        {audioMasterIdle, {41, 63}, true},       // the frequency knob's drag loop idles the host
        {audioMasterAutomate, {41, 63}, true},   // the knob reports its first value
        {audioMasterAutomate, {142, 80}, false}, // the high-pass switch
    };
    for (const ReentryCase& reentry : cases) {
        for (HostCloses closing :
             {HostCloses::Editor, HostCloses::EditorAndReopens, HostCloses::Instance}) {
            const std::string name =
                std::to_string(reentry.request) + "/" + std::to_string(static_cast<int>(closing));
            plugin = std::make_unique<plughost::PluginInstance>(builtPlugin(), host);
            plugin->setParameter(kFrequency, 0.5f);
            openEditor();
            bool closed = false;
            host.setObserver([&](const plughost::HostRequest& request) {
                if (request.opcode != reentry.request || closed) {
                    return;
                }
                closed = true;
                if (closing == HostCloses::Instance) {
                    plugin->close();
                    return;
                }
                plugin->dispatch(effEditClose);
                if (closing == HostCloses::EditorAndReopens) {
                    plugin->dispatch(effEditOpen, 0, 0, windowHandle(hostWindow));
                }
            });
            ReleaseWatchdog watchdog;
            x11.movePointer(editorWindow, reentry.press.h, reentry.press.v);
            x11.button(true);
            if (!reentry.held) {
                x11.button(false);
            }
            // The instance may be gone by the time its idle returns: idle through the record.
            AEffect* record = plugin->record();
            ASSERT_TRUE(
                repeatUntil([&] { record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f); },
                            [&] { return closed; }))
                << name;
            watchdog.stop();
            x11.button(false);
            relayHostIdles();
            const std::vector<Window> inside = children(hostWindow);
            if (closing != HostCloses::EditorAndReopens) {
                EXPECT_TRUE(inside.empty()) << name;
            } else {
                ASSERT_EQ(inside.size(), 1u) << name;
                editorWindow = inside[0];
                EXPECT_TRUE(showsFreshEditor()) << name;
            }
            if (closing == HostCloses::Editor) {
                openEditor(); // and it opens again
            }
            plugin.reset();
            EXPECT_EQ(windowCount(), windowsBefore) << name;
            EXPECT_EQ(openDescriptors(), descriptorsBefore) << name;
        }
    }
}

TEST_F(EndToEnd, OpenCloseCyclesOnTheServerLeaveNoWindowOrConnection) {
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, windowHandle(hostWindow)), 1) << cycle;
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
    auto other = std::make_unique<plughost::PluginInstance>(builtPlugin(), otherHost);
    const Window otherWindow = makeHostWindow(320, 30);
    openEditor();
    ASSERT_EQ(other->dispatch(effEditOpen, 0, 0, windowHandle(otherWindow)), 1);
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
    XDestroyWindow(x11.display, otherWindow);
    XSync(x11.display, False);
}

// A session with many instances, each editor on a connection of its own, closed out of order:
// some editors first, the rest with their instance.
TEST_F(EndToEnd, ManyEditorsOpenAtOnceAreClosedInAnyOrder) {
    constexpr int kEditors = 16;
    std::vector<std::unique_ptr<plughost::PluginInstance>> instances;
    std::vector<Window> windows;
    for (int i = 0; i < kEditors; ++i) {
        instances.push_back(std::make_unique<plughost::PluginInstance>(builtPlugin(), host));
        windows.push_back(makeHostWindow(10 * i, 5 * i));
        ASSERT_EQ(instances.back()->dispatch(effEditOpen, 0, 0, windowHandle(windows.back())), 1)
            << i;
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
        XDestroyWindow(x11.display, window);
    }
    XSync(x11.display, False);
}

// A window id is whatever number the host passes: none, one that never existed, a pixmap,
// a window already destroyed. Each must open nothing, leak nothing, and raise no error that
// reaches the host's own handler.
TEST_F(EndToEnd, BadParentWindowsOpenNothing) {
    const Pixmap pixmap = XCreatePixmap(x11.display, hostWindow, 8, 8, 24);
    const Window gone = makeHostWindow(5, 5);
    XDestroyWindow(x11.display, gone);
    XSync(x11.display, False);
    const uintptr_t parents[] = {0, 0x1fffffff, 0xdeadbeef, ~uintptr_t{0}, pixmap, gone};
    for (uintptr_t parent : parents) {
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 0)
            << std::hex << parent;
        plugin->dispatch(effEditIdle);
        plugin->dispatch(effEditClose);
    }
    XFreePixmap(x11.display, pixmap);
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
    openEditor(); // a good window afterwards still works
}

TEST_F(EndToEnd, AHostWindowDestroyedUnderTheEditorIsSurvived) {
    const Window doomed = makeHostWindow(40, 260);
    ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, windowHandle(doomed)), 1);
    plugin->dispatch(effEditIdle);
    XDestroyWindow(x11.display, doomed);
    XSync(x11.display, False);
    for (int i = 0; i < 5; ++i) {
        plugin->dispatch(effEditIdle);
    }
    plugin->setParameter(kFrequency, 0.3f);
    plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);
    EXPECT_EQ(windowCount(), windowsBefore);
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

// Two copies of the plug-in (two files, so two libraries) with their editors open; one is closed
// and unloaded. The host's X errors must still reach the host's handler, and only it.
TEST_F(EndToEnd, AnUnloadedCopyLeavesTheHostsErrorHandlerAlone) {
    const std::string stem = std::filesystem::temp_directory_path() /
                             ("glidefilter-copy-" + std::to_string(getpid()) + "-");
    const std::string paths[] = {stem + "a.so", stem + "b.so"};
    std::unique_ptr<plughost::PluginLibrary> libraries[2];
    std::unique_ptr<plughost::PluginInstance> copies[2];
    const Window windows[] = {hostWindow, makeHostWindow(320, 30)};
    for (int i = 0; i < 2; ++i) {
        std::filesystem::copy_file(GLIDEFILTER_PLUGIN_PATH, paths[i],
                                   std::filesystem::copy_options::overwrite_existing);
        libraries[i] = std::make_unique<plughost::PluginLibrary>(paths[i]);
        copies[i] = std::make_unique<plughost::PluginInstance>(*libraries[i], host);
        ASSERT_EQ(copies[i]->dispatch(effEditOpen, 0, 0, windowHandle(windows[i])), 1) << i;
        copies[i]->dispatch(effEditIdle);
    }
    const XErrorHandler installed = XSetErrorHandler(nullptr);
    XSetErrorHandler(installed);
    EXPECT_EQ(installed, &countHostError) << "a copy took the handler";
    for (int i = 0; i < 2; ++i) {
        copies[i]->dispatch(effEditClose);
        copies[i].reset();
        libraries[i].reset();
        EXPECT_EQ(dlopen(paths[i].c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
        std::filesystem::remove(paths[i]);
        EXPECT_EQ(provokeHostError(), 1) << "after unloading copy " << i;
    }
    XDestroyWindow(x11.display, windows[1]);
    XSync(x11.display, False);
}

// Two copies' editors idled on two threads, so that their shields start and end across each
// other. Whichever copy is unloaded first, the host's I/O error handler is back in place and its
// own connection's failure reaches it (in a child, so that a crash or an exit fails the test).
TEST_F(EndToEnd, CopiesShieldingOnTwoThreadsGiveTheHostItsIoHandlerBack) {
    constexpr int kHostHandled = 42;
    constexpr int kIdles = 300;
    const XIOErrorHandler original = hostIoErrorHandler;
    hostIoErrorHandler = [](Display*) -> int { _exit(kHostHandled); };
    XSetIOErrorHandler(hostIoErrorHandler);
    const std::string stem = std::filesystem::temp_directory_path() /
                             ("glidefilter-shield-" + std::to_string(getpid()) + "-");
    const std::string paths[] = {stem + "a.so", stem + "b.so"};
    const Window windows[] = {hostWindow, makeHostWindow(320, 30)};
    for (const int first : {0, 1}) {
        std::unique_ptr<plughost::PluginLibrary> libraries[2];
        for (int i = 0; i < 2; ++i) {
            std::filesystem::copy_file(GLIDEFILTER_PLUGIN_PATH, paths[i],
                                       std::filesystem::copy_options::overwrite_existing);
            libraries[i] = std::make_unique<plughost::PluginLibrary>(paths[i]);
        }
        std::vector<std::thread> uiThreads;
        for (int i = 0; i < 2; ++i) {
            uiThreads.emplace_back([&, i] {
                plughost::PluginInstance copy(*libraries[i], host);
                copy.dispatch(effEditOpen, 0, 0, windowHandle(windows[i]));
                for (int idle = 0; idle < kIdles; ++idle) {
                    copy.setParameter(kFrequency, static_cast<float>(idle % 10) / 10.0f);
                    copy.dispatch(effEditIdle);
                }
                copy.dispatch(effEditClose);
            });
        }
        for (std::thread& thread : uiThreads) {
            thread.join();
        }
        EXPECT_EQ(installedIoErrorHandler(), hostIoErrorHandler) << first;
        libraries[first].reset();
        libraries[1 - first].reset();
        EXPECT_EQ(installedIoErrorHandler(), hostIoErrorHandler) << first;
    }
    for (const std::string& path : paths) {
        std::filesystem::remove(path);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(x11.display));
        XSync(x11.display, False);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kHostHandled) << status;
    XSetIOErrorHandler(original);
    hostIoErrorHandler = original;
    XDestroyWindow(x11.display, windows[1]);
    XSync(x11.display, False);
}

// The user kills the editor's connection (xkill on the plug-in's area): the host goes on, and
// the editor opens again.
TEST_F(EndToEnd, AKilledEditorConnectionLeavesTheHostRunning) {
    openEditor();
    XKillClient(x11.display, editorWindow);
    XSync(x11.display, False);
    for (int i = 0; i < 5; ++i) {
        plugin->setParameter(kFrequency, 0.1f * static_cast<float>(i));
        plugin->dispatch(effEditIdle);
    }
    EXPECT_TRUE(children(hostWindow).empty());
    plugin->dispatch(effEditClose);
    openEditor();
}

TEST_F(EndToEnd, WithoutADisplayTheEditorDoesNotOpen) {
    const std::string saved = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    const auto answer = plugin->dispatch(effEditOpen, 0, 0, windowHandle(hostWindow));
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(children(hostWindow).empty());
}

} // namespace
