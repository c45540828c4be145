// Drives a plug-in through playback the way a host does: sample rate and block size first, then
// switched on; before each block its events, then the block itself.
#pragma once

#include "tools/plughost/midievents.h"
#include "tools/plughost/options.h"
#include "tools/plughost/pluginhost.h"

#include <optional>
#include <span>
#include <vector>

namespace plughost {

// What the user chose for the plug-in before playback.
struct PluginSettings {
    std::optional<int32_t> program;
    std::vector<ParameterSetting> parameters;
};

// Reads --program and every --param; throws UsageError for malformed values.
PluginSettings parsePluginSettings(const CommandLine& line);

// The parameter given by its index or by its name as the plug-in shows it (spaces around it and
// capitals aside); throws UsageError when the plug-in has no such parameter.
int32_t parameterIndex(const PluginInstance& plugin, const std::string& parameter);

// Selects the program, then sets the parameters in the order given. Throws UsageError for a
// program or parameter the plug-in does not have.
void applyPluginSettings(const PluginInstance& plugin, const PluginSettings& settings);

struct PlaybackSettings {
    float sampleRate;
    int32_t blockSize;
    // processReplacing instead of process into a cleared buffer; a plug-in with only
    // processReplacing is run through it either way
    bool replacing;
};

class Renderer {
public:
    Renderer(const PluginInstance& plugin, const PlaybackSettings& settings);
    ~Renderer(); // switches the plug-in off
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    int32_t inputCount() const { return static_cast<int32_t>(inputs.size()); }
    int32_t outputCount() const { return static_cast<int32_t>(outputs.size()); }
    int32_t blockSize() const { return settings.blockSize; }
    // Block buffers: fill the inputs, call processBlock, read the outputs.
    float* input(int32_t channel) { return inputs[static_cast<size_t>(channel)].data(); }
    const float* output(int32_t channel) const {
        return outputs[static_cast<size_t>(channel)].data();
    }

    // Processes `frames` (at most the block size) frames starting at `blockStart`; the events
    // all lie within the block.
    void processBlock(std::span<const TimedMidiEvent> events, int64_t blockStart, int32_t frames);

private:
    const PluginInstance& plugin;
    PlaybackSettings settings;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    VstEventBlock eventBlock;
};

} // namespace plughost
