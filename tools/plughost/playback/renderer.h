// Drives a plug-in through playback the way a host does: sample rate and block size first, then
// switched on; before each block its events, then the block itself.
#pragma once

#include "tools/plughost/commands/options.h"
#include "tools/plughost/formats/plugin.h"
#include "tools/plughost/playback/midievents.h"

#include <optional>
#include <span>
#include <vector>

namespace plughost {

// What the user chose for the plug-in before playback.
struct PluginSettings {
    std::optional<int32_t> program;    // by index
    std::optional<std::string> preset; // by name
    std::vector<ParameterSetting> parameters;
};

// Reads --program, --preset and every --param; throws UsageError for malformed ones. Values are
// checked against the plug-in as they are applied.
PluginSettings parsePluginSettings(const CommandLine& line);

// The parameter given by its index or by its name (or symbol) as the plug-in shows it (spaces
// around it and capitals aside); throws UsageError when the plug-in has no such parameter.
int32_t parameterIndex(const Plugin& plugin, const std::string& parameter);

struct ResolvedSetting {
    int32_t index;
    double value;
};

// The parameter a setting names and the value it gives: a number in the parameter's units within
// its range, or one of its labels (LV2 scale points, a VST 2 plug-in's display texts). Throws
// UsageError naming the range, units and labels the parameter takes.
ResolvedSetting resolveSetting(const Plugin& plugin, const ParameterSetting& setting);

void applyParameterSetting(Plugin& plugin, const ParameterSetting& setting);

// Selects the program or preset, then sets the parameters in the order given. Throws UsageError
// for a program, preset or parameter the plug-in does not have.
void applyPluginSettings(Plugin& plugin, const PluginSettings& settings);

class Renderer {
public:
    // Throws HostError when the plug-in has no outputs or cannot play as asked.
    Renderer(Plugin& plugin, const PlaybackSettings& settings);
    ~Renderer(); // switches the plug-in off
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    int32_t inputCount() const { return static_cast<int32_t>(inputs.size()); }
    int32_t outputCount() const { return static_cast<int32_t>(outputPointers.size()); }
    int32_t blockSize() const { return settings.blockSize; }
    // Block buffers: fill the inputs, call processBlock, read the outputs (in place: the
    // inputs' buffers).
    float* input(int32_t channel) { return inputs[static_cast<size_t>(channel)].data(); }
    const float* output(int32_t channel) const {
        return outputPointers[static_cast<size_t>(channel)];
    }

    // Processes `frames` (at most the block size) frames starting at `blockStart`; the events
    // all lie within the block.
    void processBlock(std::span<const TimedMidiEvent> events, int64_t blockStart, int32_t frames);

private:
    Plugin& plugin;
    PlaybackSettings settings;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
};

} // namespace plughost
