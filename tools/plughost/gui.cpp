// plughost gui: the plug-in's editor in a window of plughost's own, idled at a host's pace, with
// every request the plug-in makes to its host printed as it comes.
#include "tools/plughost/commands.h"
#include "tools/plughost/guirequests.h"
#include "tools/plughost/options.h"
#include "tools/plughost/renderer.h"
#include "tools/plughost/vst2plugin.h"
#include "tools/plughost/x11editorwindow.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <limits>
#include <optional>
#include <thread>

namespace plughost {
namespace {

// --frames N closes the window after N idle passes, for scripts and tests.
const CommandLine::OptionSet kGuiOptions{{"--param", "--program", "--preset", "--frames"}, {}};
constexpr auto kIdleInterval = std::chrono::microseconds(1000000 / 30);

volatile sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int) {
    interrupted = 1;
}

// Ctrl-C and termination close the editor and the plug-in properly instead of ending the
// program in the middle of a call.
class InterruptHandling {
public:
    InterruptHandling() {
        interrupted = 0;
        previousInterrupt = std::signal(SIGINT, noteInterrupt);
        previousTerminate = std::signal(SIGTERM, noteInterrupt);
    }
    ~InterruptHandling() {
        std::signal(SIGINT, previousInterrupt);
        std::signal(SIGTERM, previousTerminate);
    }
    InterruptHandling(const InterruptHandling&) = delete;
    InterruptHandling& operator=(const InterruptHandling&) = delete;

private:
    void (*previousInterrupt)(int);
    void (*previousTerminate)(int);
};

std::vector<std::string> parameterNames(const PluginInstance& plugin) {
    std::vector<std::string> names;
    for (int32_t index = 0; index < plugin.record()->numParams; ++index) {
        names.push_back(plugin.parameterName(index));
    }
    return names;
}

void runWindow(EditorWindow& window, std::optional<long long> frames) {
    auto next = std::chrono::steady_clock::now();
    for (long long pass = 0; !interrupted && (!frames || pass < *frames); ++pass) {
        window.idle();
        if (!window.handleEvents()) {
            return;
        }
        next += kIdleInterval;
        std::this_thread::sleep_until(next);
    }
}

} // namespace

int runGui(const Arguments& arguments) {
    const CommandLine line(arguments, kGuiOptions);
    requireArgumentCount(line, 1, "gui");
    const std::string& pluginPath = line.positional()[0];
    requireVst2Editor(pluginPath, "gui");
    const PluginSettings settings = parsePluginSettings(line, PluginFormat::vst2);
    std::optional<long long> frames;
    if (const auto text = line.value("--frames")) {
        frames = parseInteger(*text, "frame count", 1, std::numeric_limits<int32_t>::max());
    }

    X11Session session(X11Session::WithoutDisplay::Fail);
    PluginLibrary library(pluginPath);
    RecordingHost host;
    std::vector<std::string> names;
    host.setObserver([&names](const HostRequest& request) {
        std::printf("%s\n", describeRequest(request, names).c_str());
        std::fflush(stdout);
    });
    PluginInstance plugin(library, host);
    names = parameterNames(plugin);
    Vst2Plugin settable(plugin, pluginPath);
    applyPluginSettings(settable, settings);
    requireEditor(plugin, pluginPath);
    const InterruptHandling interruptHandling;
    const SwitchedOn running(plugin);
    EditorWindow window(
        session, plugin, host,
        {.title = editorTitle(plugin, pluginPath) + " - plughost", .managed = true});
    runWindow(window, frames);
    return 0;
}

} // namespace plughost
