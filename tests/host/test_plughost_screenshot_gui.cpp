// plughost gui on a private Xvfb: the requests it prints, and the three ways it ends (its frame
// count, the window manager's close, Ctrl-C), each closing the plug-in and exiting with 0.
#include "tests/host/test_plughost_screenshot_support.h"
#include "tools/common/x11server.h"
#include "tools/plughost/commands/guirequests.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <thread>

extern char** environ;

namespace {

using plughost_test::EditorCommandTest;
using namespace std::chrono_literals;

const std::string kWindowTitle = "Test Pattern (TPat) - plughost";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class GuiTest : public EditorCommandTest {
protected:
    static void SetUpTestSuite() { server = std::make_unique<PrivateXServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    std::string onServer() const { return "DISPLAY=" + server->displayName(); }

    // Starts plughost gui in the background with its output going to the folder's files.
    pid_t startGui(const std::string& plugin = TEST_EDITOR_PLUGIN_PATH,
                   const std::vector<std::string>& options = {}) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, file("gui.out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, file("gui.err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> arguments = {"env", onServer(), PLUGHOST_PATH, "gui", plugin};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawnp(&pid, "env", &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // The exit code, or -1 when it did not end in time (it is killed then).
    static int waitForExit(pid_t pid) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Waits until the editor has painted and reported its automation.
    bool waitForAutomation() const { return waitForOutput("automate"); }
    bool waitForOutput(const std::string& text) const {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!contains(plughost_test::readText(file("gui.out")), text)) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }

    static inline std::unique_ptr<PrivateXServer> server;
};

// The gui's top-level window, found by its title; 0 when there is none.
Window guiWindow(Display* display, const std::string& title = kWindowTitle) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            found = title == name ? children[i] : 0;
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// As a window manager does.
void askToClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

TEST_F(GuiTest, PrintsEachRequestThePluginMakes) {
    const auto outcome =
        run(onServer(), {"gui", TEST_EDITOR_PLUGIN_PATH, "--param", "2=0.25", "--frames", "20"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "");
    // The version query at creation, MIDI asked for when switched on, then the editor's
    // automation after its first paint.
    EXPECT_EQ(outcome.output, "version\n"
                              "wantMidi value=1\n"
                              "automate index=2 value=0.25 (Shade)\n"
                              "idle\n");
}

// Asked to close by the window manager, or destroyed by another client.
TEST_F(GuiTest, EndsWhenTheWindowIsClosedOrDestroyed) {
    using End = void (*)(Display*, Window);
    const End destroy = [](Display* display, Window window) { XDestroyWindow(display, window); };
    for (const End end : {End{askToClose}, destroy}) {
        const pid_t gui = startGui();
        ASSERT_TRUE(waitForAutomation()) << plughost_test::readText(file("gui.err"));
        Display* display = XOpenDisplay(server->displayName().c_str());
        ASSERT_NE(display, nullptr);
        const Window window = guiWindow(display);
        EXPECT_NE(window, 0u);
        end(display, window);
        XCloseDisplay(display);
        EXPECT_EQ(waitForExit(gui), 0) << plughost_test::readText(file("gui.err"));
    }
}

TEST_F(GuiTest, EndsOnInterrupt) {
    const pid_t gui = startGui();
    ASSERT_TRUE(waitForAutomation()) << plughost_test::readText(file("gui.err"));
    kill(gui, SIGINT);
    EXPECT_EQ(waitForExit(gui), 0) << plughost_test::readText(file("gui.err"));
}

// A left-button press at (x, y) of `window`, as the server would deliver it.
void press(Display* display, Window window, int x, int y) {
    XEvent event{};
    event.xbutton.type = ButtonPress;
    event.xbutton.window = window;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    XSendEvent(display, window, False, ButtonPressMask, &event);
    XFlush(display);
}

// A control change reaches the plug-in at its time after the editor opens, in the blocks gui
// runs: the test plug-in reports the shade it sets from it.
TEST_F(GuiTest, SendsControlChangesAtTheirTimes) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"1:127@0.2s", true}, {"1:127@6615", true}, {"1:127@5s", false}};
    for (const auto& [change, arrives] : cases) {
        const auto outcome =
            run(onServer(), {"gui", TEST_EDITOR_PLUGIN_PATH, "--cc", change, "--frames", "20"});
        ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
        const auto painted = outcome.output.find("automate index=2 value=0 (Shade)\n");
        const auto changed = outcome.output.find("automate index=2 value=1 (Shade)\n");
        EXPECT_NE(painted, std::string::npos) << change << ": " << outcome.output;
        EXPECT_EQ(changed != std::string::npos, arrives) << change << ": " << outcome.output;
        if (arrives) {
            EXPECT_GT(changed, painted) << change << ": " << outcome.output;
        }
    }
}

// An LV2 plug-in's X11 UI in the window, run as a host runs it: each port write, message and
// gesture it sends is printed, and the learn message reaches the plug-in (which is run between
// idles). A controller given on the command line then finishes the learning: repeated, so that
// one arrives after the learn switch is pressed however long the presses take.
TEST_F(GuiTest, ShowsAnLv2UiAndPrintsWhatItWrites) {
    const pid_t gui = startGui(GLIDEFILTER_LV2_BUNDLE_PATH, {"--cc", "20:1@2s", "--cc", "20:1@4s",
                                                             "--cc", "20:1@6s", "--cc", "20:1@8s"});
    Display* display = XOpenDisplay(server->displayName().c_str());
    ASSERT_NE(display, nullptr);
    const std::string title = "Glide Filter (urn:glidefilter:plugin) - plughost";
    // The window, once the UI is open in it.
    Window window = 0;
    Window ui = 0;
    for (int attempt = 0; attempt < 500 && ui == 0; ++attempt) {
        std::this_thread::sleep_for(10ms);
        window = guiWindow(display, title);
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (window != 0 && XQueryTree(display, window, &root, &parent, &children, &count) != 0) {
            ui = count == 1 ? children[0] : 0;
            XFree(children);
        }
    }
    if (ui == 0) {
        XCloseDisplay(display);
        kill(gui, SIGKILL);
        waitForExit(gui);
        FAIL() << "no UI in the window: " << plughost_test::readText(file("gui.err"));
    }
    press(display, ui, 142, 80);
    EXPECT_TRUE(waitForOutput("write port=6 (type) value=1\n"));
    press(display, ui, 24, 50);
    EXPECT_TRUE(waitForOutput("touch port=7 (frequency) grabbed\n"));
    EXPECT_TRUE(waitForOutput("touch port=7 (frequency) released\n"));
    press(display, ui, 12, 125);
    EXPECT_TRUE(waitForOutput(
        "message port=4 (control) urn:glidefilter:learn {urn:glidefilter:parameter=5}\n"));
    EXPECT_TRUE(waitForOutput("write port=11 (cc_cutoff) value=20\n"));
    askToClose(display, window);
    XCloseDisplay(display);
    EXPECT_EQ(waitForExit(gui), 0) << plughost_test::readText(file("gui.err"));
    EXPECT_EQ(plughost_test::readText(file("gui.err")), "");
}

// gui follows the rule of the other commands that set parameters.
TEST_F(GuiTest, RefusesAParameterValueOutsideItsRange) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {TEST_EDITOR_PLUGIN_PATH, "Shade=2"}, {GLIDEFILTER_LV2_BUNDLE_PATH, "frequency=300"}};
    for (const auto& [plugin, setting] : cases) {
        const auto outcome = run(onServer(), {"gui", plugin, "--param", setting, "--frames", "1"});
        EXPECT_EQ(outcome.exitCode, 2) << setting;
        EXPECT_NE(outcome.errors.find(": out of range; it takes 0 to "), std::string::npos)
            << outcome.errors;
    }
}

TEST_F(GuiTest, NeedsADisplay) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-u DISPLAY", "plughost: no X display: DISPLAY is not set\n"},
        {"DISPLAY=:9997",
         "plughost: cannot open X display :9997: gui needs a display you can see (check "
         "DISPLAY)\n"}};
    for (const auto& [environment, message] : cases) {
        const auto outcome = run(environment, {"gui", TEST_EDITOR_PLUGIN_PATH});
        EXPECT_EQ(outcome.exitCode, 1) << environment;
        EXPECT_EQ(outcome.errors, message);
        EXPECT_EQ(outcome.output, "") << environment;
    }
}

TEST(GuiRequestLines, NameTheRequestAndWhatItCarries) {
    const std::vector<std::string> names = {"Flt.type", "Frequency"};
    const auto line = [&names](int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
        return plughost::describeRequest({opcode, index, value, ptr, opt, true}, names);
    };
    EXPECT_EQ(line(audioMasterAutomate, 1, 0, nullptr, 0.5f),
              "automate index=1 value=0.5 (Frequency)");
    EXPECT_EQ(line(audioMasterAutomate, 0, 0, nullptr, 0.0f),
              "automate index=0 value=0 (Flt.type)");
    EXPECT_EQ(line(audioMasterAutomate, 7, 0, nullptr, 1.0f), "automate index=7 value=1");
    EXPECT_EQ(line(audioMasterAutomate, -1, 0, nullptr, 1.0f), "automate index=-1 value=1");
    EXPECT_EQ(line(audioMasterSizeWindow, 300, 200, nullptr, 0.0f),
              "sizeWindow index=300 value=200");
    char capability[] = "sizeWindow";
    EXPECT_EQ(line(audioMasterCanDo, 0, 0, capability, 0.0f), "canDo \"sizeWindow\"");
    EXPECT_EQ(line(audioMasterCanDo, 0, 0, nullptr, 0.0f), "canDo");
    EXPECT_EQ(line(5, 0, 0, nullptr, 0.0f), "opcode 5");
    EXPECT_EQ(line(99, 2, 0, nullptr, 0.0f), "opcode 99 index=2");
    EXPECT_EQ(line(-3, 0, 0, nullptr, 0.0f), "opcode -3");
    // The float argument only where it carries a value; elsewhere it is whatever was left there.
    EXPECT_EQ(line(audioMasterGetSampleRate, 0, 0, nullptr, 2.6e-26f), "getSampleRate");
    EXPECT_EQ(line(audioMasterVendorSpecific, 1, 2, nullptr, 0.5f),
              "vendorSpecific index=1 value=2 opt=0.5");
}

} // namespace
