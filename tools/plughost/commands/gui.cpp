// plughost gui: the plug-in's editor in a window of plughost's own, idled at a host's pace, with
// every request a VST 2 plug-in makes to its host, or every write and gesture an LV2 UI makes to
// its plug-in, printed as it comes.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/eventoptions.h"
#include "tools/plughost/commands/guirequests.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/uiwrites.h"
#include "tools/plughost/formats/lv2uihost.h"
#include "tools/plughost/formats/vst2editor.h"
#include "tools/plughost/formats/vst2plugin.h"
#include "tools/plughost/playback/liveblocks.h"
#include "tools/plughost/playback/renderer.h"
#include "tools/plughost/x11/x11editorwindow.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

namespace plughost {
namespace {

// --frames N closes the window after N idle passes, for scripts and tests.
const CommandLine::OptionSet kGuiOptions{
    {"--param", "--program", "--preset", "--frames", "--cc", "--note"}, {}};
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

// Runs `afterIdle` after each pass.
void runWindow(EditorWindow& window, std::optional<long long> frames,
               const std::function<void()>& afterIdle = {}) {
    auto next = std::chrono::steady_clock::now();
    for (long long pass = 0; !interrupted && (!frames || pass < *frames); ++pass) {
        if (!window.idle() || !window.handleEvents()) {
            return;
        }
        if (afterIdle) {
            afterIdle();
        }
        next += kIdleInterval;
        std::this_thread::sleep_until(next);
    }
}

void printLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// What the command line asks of the run.
struct GuiRun {
    PluginSettings settings;
    std::vector<TimedMidiEvent> events;
    std::optional<long long> frames;
};

// Events for a plug-in that takes no MIDI go nowhere: the user hears why nothing happens.
void noteUnsentEvents(const Plugin& plugin, const GuiRun& run) {
    if (!plugin.takesMidi() && !run.events.empty()) {
        std::fprintf(stderr,
                     "plughost: note: the plug-in takes no MIDI; the events are not sent\n");
    }
}

void runVst2(const std::string& pluginPath, const GuiRun& run) {
    X11Session session(X11Session::WithoutDisplay::Fail);
    PluginLibrary library(pluginPath);
    RecordingHost host;
    std::vector<std::string> names;
    host.setObserver(
        [&names](const HostRequest& request) { printLine(describeRequest(request, names)); });
    PluginInstance plugin(library, host);
    names = parameterNames(plugin);
    Vst2Plugin settable(plugin, pluginPath);
    applyPluginSettings(settable, run.settings);
    requireEditor(plugin, pluginPath);
    noteUnsentEvents(settable, run);
    const InterruptHandling interruptHandling;
    LiveBlocks blocks(settable, run.events);
    const std::string title = editorTitle(plugin, pluginPath);
    Vst2Editor editor(plugin, host, title);
    EditorWindow window(session, editor, {.title = title + " - plughost", .managed = true});
    runWindow(window, run.frames, [&blocks] { blocks.runDueBlocks(); });
}

void runLv2(const std::string& pluginPath, const GuiRun& run) {
    X11Session session(X11Session::WithoutDisplay::Fail);
    Lv2Plugin plugin(pluginPath, {LiveBlocks::kSampleRate, LiveBlocks::kBlockFrames});
    applyPluginSettings(plugin, run.settings);
    noteUnsentEvents(plugin, run);
    Lv2UiHost ui(plugin, session.display());
    ui.setWriteObserver([&plugin](const UiWrite& write) {
        printLine(describeUiWrite(write, plugin, plugin.urids()));
    });
    ui.setTouchObserver(
        [&plugin](const UiTouch& touch) { printLine(describeUiTouch(touch, plugin)); });
    const InterruptHandling interruptHandling;
    LiveBlocks blocks(plugin, run.events, [&ui] { ui.deliverBlockOutputs(); });
    EditorWindow window(session, ui, {.title = ui.title() + " - plughost", .managed = true});
    runWindow(window, run.frames, [&blocks] { blocks.runDueBlocks(); });
}

} // namespace

int runGui(const Arguments& arguments) {
    const CommandLine line(arguments, kGuiOptions);
    requireArgumentCount(line, 1, "gui");
    const std::string& pluginPath = line.positional()[0];
    const PluginFormat format = pluginFormatOf(pluginPath);
    GuiRun run{parsePluginSettings(line),
               MidiEventOptions(line).at(static_cast<int>(LiveBlocks::kSampleRate)), std::nullopt};
    if (const auto text = line.value("--frames")) {
        run.frames = parseInteger(*text, "frame count", 1, std::numeric_limits<int32_t>::max());
    }
    if (format == PluginFormat::lv2) {
        runLv2(pluginPath, run);
    } else {
        runVst2(pluginPath, run);
    }
    return 0;
}

} // namespace plughost
