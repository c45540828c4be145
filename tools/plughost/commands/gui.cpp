// plughost gui: the plug-in's editor in a window of plughost's own, idled at a host's pace, with
// every request a VST 2 plug-in makes to its host, or every write and gesture an LV2 UI makes to
// its plug-in, printed as it comes.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/guirequests.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/uiwrites.h"
#include "tools/plughost/formats/lv2uihost.h"
#include "tools/plughost/formats/vst2editor.h"
#include "tools/plughost/formats/vst2plugin.h"
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

void runVst2(const std::string& pluginPath, const PluginSettings& settings,
             std::optional<long long> frames) {
    X11Session session(X11Session::WithoutDisplay::Fail);
    PluginLibrary library(pluginPath);
    RecordingHost host;
    std::vector<std::string> names;
    host.setObserver(
        [&names](const HostRequest& request) { printLine(describeRequest(request, names)); });
    PluginInstance plugin(library, host);
    names = parameterNames(plugin);
    Vst2Plugin settable(plugin, pluginPath);
    applyPluginSettings(settable, settings);
    requireEditor(plugin, pluginPath);
    const InterruptHandling interruptHandling;
    const SwitchedOn running(plugin);
    const std::string title = editorTitle(plugin, pluginPath);
    Vst2Editor editor(plugin, host, title);
    EditorWindow window(session, editor, {.title = title + " - plughost", .managed = true});
    runWindow(window, frames);
}

// Silent blocks at the host's rate, one a pass: what the UI sends reaches the plug-in, and what
// the plug-in reports reaches the UI.
class SilentBlocks {
public:
    explicit SilentBlocks(Lv2Plugin& plugin)
        : plugin(plugin),
          inputs(static_cast<size_t>(plugin.inputCount()), std::vector<float>(kBlockFrames)),
          outputs(static_cast<size_t>(plugin.outputCount()), std::vector<float>(kBlockFrames)) {
        for (auto& buffer : inputs) {
            inputPointers.push_back(buffer.data());
        }
        for (auto& buffer : outputs) {
            outputPointers.push_back(buffer.data());
        }
        plugin.start({kSampleRate, kBlockFrames});
    }

    void run() {
        plugin.process({inputPointers.data(), outputPointers.data(), kBlockFrames, {}, start});
        start += kBlockFrames;
    }

    static constexpr float kSampleRate = 44100.0f;
    static constexpr int32_t kBlockFrames = 512;

private:
    Lv2Plugin& plugin;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    int64_t start = 0;
};

void runLv2(const std::string& pluginPath, const PluginSettings& settings,
            std::optional<long long> frames) {
    X11Session session(X11Session::WithoutDisplay::Fail);
    Lv2Plugin plugin(pluginPath, {SilentBlocks::kSampleRate, SilentBlocks::kBlockFrames});
    applyPluginSettings(plugin, settings);
    Lv2UiHost ui(plugin, session.display());
    ui.setWriteObserver([&plugin](const UiWrite& write) {
        printLine(describeUiWrite(write, plugin, plugin.urids()));
    });
    ui.setTouchObserver(
        [&plugin](const UiTouch& touch) { printLine(describeUiTouch(touch, plugin)); });
    const InterruptHandling interruptHandling;
    SilentBlocks blocks(plugin);
    EditorWindow window(session, ui, {.title = ui.title() + " - plughost", .managed = true});
    runWindow(window, frames, [&] {
        blocks.run();
        ui.deliverBlockOutputs();
    });
}

} // namespace

int runGui(const Arguments& arguments) {
    const CommandLine line(arguments, kGuiOptions);
    requireArgumentCount(line, 1, "gui");
    const std::string& pluginPath = line.positional()[0];
    const PluginFormat format = pluginFormatOf(pluginPath);
    const PluginSettings settings = parsePluginSettings(line, format);
    std::optional<long long> frames;
    if (const auto text = line.value("--frames")) {
        frames = parseInteger(*text, "frame count", 1, std::numeric_limits<int32_t>::max());
    }
    if (format == PluginFormat::lv2) {
        runLv2(pluginPath, settings, frames);
    } else {
        runVst2(pluginPath, settings, frames);
    }
    return 0;
}

} // namespace plughost
