// winhost: a small Windows host for the Windows plug-in, run under Wine where Windows is not at
// hand. It renders a WAV file the way `plughost render` does by default (settings before the
// start, the accumulating entry into cleared outputs, each block's MIDI events handed over first),
// so that its output can be compared with the Linux build's sample for sample.
#include "tools/plughost/playback/midievents.h"
#include "tools/winhost/editorwindow.h"
#include "tools/winhost/plugininstance.h"
#include "tools/winhost/useractions.h"
#include "tools/winhost/wavfile.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace winhost {
namespace {

constexpr const char* kUsage =
    "usage: winhost render PLUGIN.dll IN.wav OUT.wav [--block N] [--param N=V]... "
    "[--cc C:V@FRAME]... [--note N@FRAME]...\n"
    "       winhost screenshot PLUGIN.dll OUT.ppm [--param N=V]...\n"
    "       winhost play PLUGIN.dll [--param N=V]... [--act "
    "click:X,Y|drag:X,Y,RISE|type:X,Y,TEXT]...";
// As plughost switches a plug-in on for its editor.
constexpr float kEditorSampleRate = 44100.0f;
constexpr int32_t kEditorBlockSize = 512;
// Idle passes leave every control painted well within this.
constexpr uint32_t kEditorSettleMilliseconds = 600;
constexpr uint32_t kEditorIdleSlice = 20;
constexpr size_t kTextLength = 256;
constexpr int32_t kLargestBlock = 65536;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xb0;
constexpr uint8_t kNoteVelocity = 100;

struct HostJob {
    std::string plugin;
    std::string input;
    std::string output;
    int32_t blockSize = 512;
    std::vector<std::pair<int32_t, float>> parameters;
    plughost::EventSchedule events;
    std::vector<UserAction> actions;
};

template <typename T>
T number(std::string_view text, std::string_view what, T lowest, T highest) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        value < lowest || value > highest) {
        throw std::runtime_error("bad " + std::string(what) + " '" + std::string(text) + "'");
    }
    return value;
}

// "A<separator>B": the two halves, or an error naming the option and its value.
std::pair<std::string_view, std::string_view> split(std::string_view text, char separator,
                                                    std::string_view option) {
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) {
        throw std::runtime_error("bad " + std::string(option) + " '" + std::string(text) + "'");
    }
    return {text.substr(0, at), text.substr(at + 1)};
}

plughost::TimedMidiEvent controlChange(std::string_view text) {
    const auto [message, frame] = split(text, '@', "--cc");
    const auto [controller, value] = split(message, ':', "--cc");
    return {number<int64_t>(frame, "--cc frame", 0, INT64_MAX),
            {kControlChange, number<uint8_t>(controller, "--cc controller", 0, 127),
             number<uint8_t>(value, "--cc value", 0, 127)}};
}

plughost::TimedMidiEvent noteOn(std::string_view text) {
    const auto [note, frame] = split(text, '@', "--note");
    return {number<int64_t>(frame, "--note frame", 0, INT64_MAX),
            {kNoteOn, number<uint8_t>(note, "--note number", 0, 127), kNoteVelocity}};
}

std::pair<int32_t, float> parameter(std::string_view text) {
    const auto [index, value] = split(text, '=', "--param");
    return {number<int32_t>(index, "--param index", 0, INT32_MAX),
            number<float>(value, "--param value", 0.0f, 1.0f)};
}

void addOption(HostJob& job, std::string_view option, std::string_view value) {
    if (option == "--block") {
        job.blockSize = number<int32_t>(value, "--block", 1, kLargestBlock);
    } else if (option == "--param") {
        job.parameters.push_back(parameter(value));
    } else if (option == "--cc") {
        job.events.add(controlChange(value));
    } else if (option == "--note") {
        job.events.add(noteOn(value));
    } else if (option == "--act") {
        job.actions.push_back(parseUserAction(value));
    } else {
        throw std::runtime_error("unknown option '" + std::string(option) + "'");
    }
}

// The positional arguments; the options go into `job`.
std::vector<std::string_view> parseArguments(const std::vector<std::string_view>& arguments,
                                             HostJob& job) {
    std::vector<std::string_view> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!arguments[i].starts_with("--")) {
            positional.push_back(arguments[i]);
        } else if (i + 1 < arguments.size()) {
            addOption(job, arguments[i], arguments[i + 1]);
            ++i;
        } else {
            throw std::runtime_error("option '" + std::string(arguments[i]) + "' needs a value");
        }
    }
    return positional;
}

// The command's PLUGIN [IN] [OUT] (`positionals` of them) and its options.
HostJob parseJob(const std::vector<std::string_view>& arguments, size_t positionals) {
    HostJob job;
    const std::vector<std::string_view> positional = parseArguments(arguments, job);
    if (positional.size() != positionals) {
        throw std::runtime_error(kUsage);
    }
    job.plugin = positional[0];
    if (positionals >= 2) {
        job.output = positional[positionals - 1];
    }
    if (positionals == 3) {
        job.input = positional[1];
    }
    return job;
}

// One block's channels, de-interleaved; a mono input feeds every plug-in input.
void fillInputs(const Sound& input, int64_t start, int32_t frames,
                std::vector<std::vector<float>>& channels) {
    for (size_t channel = 0; channel < channels.size(); ++channel) {
        const auto from = static_cast<int64_t>(
            std::min<size_t>(channel, static_cast<size_t>(input.channels) - 1));
        for (int32_t frame = 0; frame < frames; ++frame) {
            channels[channel][static_cast<size_t>(frame)] =
                input.samples[static_cast<size_t>((start + frame) * input.channels + from)];
        }
    }
}

std::vector<float*> pointers(std::vector<std::vector<float>>& channels) {
    std::vector<float*> list;
    for (auto& channel : channels) {
        list.push_back(channel.data());
    }
    return list;
}

void applyParameters(const PluginInstance& plugin, const HostJob& job) {
    AEffect& effect = plugin.record();
    for (const auto& [index, value] : job.parameters) {
        effect.setParameter(&effect, index, value);
    }
}

Sound render(HostJob& job) {
    const Sound input = readWav(job.input);
    const PluginInstance plugin(job.plugin);
    AEffect& effect = plugin.record();
    applyParameters(plugin, job);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(input.sampleRate));
    plugin.dispatch(effSetBlockSize, 0, job.blockSize);
    plugin.dispatch(effMainsChanged, 0, 1);
    const auto block = static_cast<size_t>(job.blockSize);
    std::vector<std::vector<float>> ins(static_cast<size_t>(effect.numInputs),
                                        std::vector<float>(block));
    std::vector<std::vector<float>> outs(static_cast<size_t>(effect.numOutputs),
                                         std::vector<float>(block));
    std::vector<float*> inPointers = pointers(ins);
    std::vector<float*> outPointers = pointers(outs);
    plughost::VstEventBlock eventBlock;
    Sound output{effect.numOutputs, input.sampleRate, {}};
    for (int64_t start = 0; start < input.frames(); start += job.blockSize) {
        const auto frames =
            static_cast<int32_t>(std::min<int64_t>(job.blockSize, input.frames() - start));
        fillInputs(input, start, frames, ins);
        const auto events = job.events.nextBlock(start, frames);
        if (!events.empty()) {
            plugin.dispatch(effProcessEvents, 0, 0, eventBlock.fill(events, start));
        }
        for (auto& channel : outs) {
            std::fill(channel.begin(), channel.end(), 0.0f);
        }
        effect.process(&effect, inPointers.data(), outPointers.data(), frames);
        for (int32_t frame = 0; frame < frames; ++frame) {
            for (const auto& channel : outs) {
                output.samples.push_back(channel[static_cast<size_t>(frame)]);
            }
        }
    }
    plugin.dispatch(effMainsChanged, 0, 0);
    return output;
}

// The plug-in at the job's settings, switched on as plughost switches it on for its editor.
class SwitchedOn {
public:
    explicit SwitchedOn(const PluginInstance& plugin) : plugin(plugin) {
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, kEditorSampleRate);
        plugin.dispatch(effSetBlockSize, 0, kEditorBlockSize);
        plugin.dispatch(effMainsChanged, 0, 1);
    }
    ~SwitchedOn() { plugin.dispatch(effMainsChanged, 0, 0); }
    SwitchedOn(const SwitchedOn&) = delete;
    SwitchedOn& operator=(const SwitchedOn&) = delete;

private:
    const PluginInstance& plugin;
};

// The editor at the job's settings after it has painted.
Picture photograph(const HostJob& job) {
    const PluginInstance plugin(job.plugin);
    applyParameters(plugin, job);
    const SwitchedOn running(plugin);
    EditorWindow window(plugin);
    window.run(kEditorSettleMilliseconds);
    return window.capture();
}

std::string text(const PluginInstance& plugin, int32_t opcode, int32_t index) {
    char buffer[kTextLength] = {};
    plugin.dispatch(opcode, index, 0, buffer);
    buffer[kTextLength - 1] = '\0';
    return buffer;
}

void printParameters(const PluginInstance& plugin) {
    AEffect& effect = plugin.record();
    for (int32_t index = 0; index < effect.numParams; ++index) {
        std::printf("parameter %d %s = %.6f (%s)\n", index,
                    text(plugin, effGetParamName, index).c_str(),
                    static_cast<double>(effect.getParameter(&effect, index)),
                    text(plugin, effGetParamDisplay, index).c_str());
    }
}

// The editor at the job's settings while the job's actions are played on it; what the plug-in
// automates is printed as it comes (by the host), its parameters at the end.
void play(const HostJob& job) {
    const PluginInstance plugin(job.plugin);
    applyParameters(plugin, job);
    {
        const SwitchedOn running(plugin);
        EditorWindow window(plugin);
        window.run(kEditorSettleMilliseconds);
        std::atomic<bool> done{false};
        std::thread hand([&] {
            playUserActions(window.editorHandle(), job.actions);
            done = true;
        });
        while (!done) {
            window.run(kEditorIdleSlice);
        }
        hand.join();
    }
    printParameters(plugin);
}

int run(const std::vector<std::string_view>& arguments) {
    const std::string_view command = arguments.empty() ? "" : arguments[0];
    const std::vector<std::string_view> rest(arguments.begin() + (arguments.empty() ? 0 : 1),
                                             arguments.end());
    if (command == "render") {
        HostJob job = parseJob(rest, 3);
        writeWav(job.output, render(job));
    } else if (command == "screenshot") {
        const HostJob job = parseJob(rest, 2);
        writePpm(job.output, photograph(job));
    } else if (command == "play") {
        play(parseJob(rest, 1));
    } else {
        throw std::runtime_error(kUsage);
    }
    return 0;
}

} // namespace
} // namespace winhost

int main(int argc, char** argv) {
    try {
        return winhost::run({argv + 1, argv + argc});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "winhost: %s\n", error.what());
        return 1;
    }
}
