#include "tools/plughost/renderer.h"

#include <algorithm>
#include <limits>

namespace plughost {
namespace {

std::vector<std::vector<float>> channelBuffers(int32_t channels, int32_t frames) {
    return std::vector<std::vector<float>>(static_cast<size_t>(std::max(channels, 0)),
                                           std::vector<float>(static_cast<size_t>(frames)));
}

std::vector<float*> pointersTo(std::vector<std::vector<float>>& buffers) {
    std::vector<float*> pointers;
    for (auto& buffer : buffers) {
        pointers.push_back(buffer.data());
    }
    return pointers;
}

} // namespace

PluginSettings parsePluginSettings(const CommandLine& line) {
    PluginSettings settings;
    if (const auto program = line.value("--program")) {
        settings.program = static_cast<int32_t>(
            parseInteger(*program, "program", 0, std::numeric_limits<int32_t>::max()));
    }
    for (const auto& [option, value] : line.options()) {
        if (option == "--param") {
            settings.parameters.push_back(parseParameterSetting(value));
        }
    }
    return settings;
}

void applyPluginSettings(const PluginInstance& plugin, const PluginSettings& settings) {
    const AEffect& record = *plugin.record();
    if (settings.program) {
        if (*settings.program >= record.numPrograms) {
            throw UsageError("program " + std::to_string(*settings.program) +
                             " does not exist: the plug-in has programs 0 to " +
                             std::to_string(record.numPrograms - 1));
        }
        plugin.dispatch(effSetProgram, 0, *settings.program);
    }
    for (const ParameterSetting& parameter : settings.parameters) {
        if (parameter.index >= record.numParams) {
            throw UsageError("parameter index " + std::to_string(parameter.index) +
                             " does not exist: the plug-in has parameters 0 to " +
                             std::to_string(record.numParams - 1));
        }
        plugin.setParameter(parameter.index, parameter.value);
    }
}

Renderer::Renderer(const PluginInstance& plugin, const PlaybackSettings& settings)
    : plugin(plugin), settings(settings),
      inputs(channelBuffers(plugin.record()->numInputs, settings.blockSize)),
      outputs(channelBuffers(plugin.record()->numOutputs, settings.blockSize)),
      inputPointers(pointersTo(inputs)), outputPointers(pointersTo(outputs)) {
    if (outputs.empty()) {
        throw HostError(plugin.record()->numOutputs == 0
                            ? "the plug-in has no outputs"
                            : "the plug-in announces a negative number of outputs");
    }
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, settings.sampleRate);
    plugin.dispatch(effSetBlockSize, 0, settings.blockSize);
    plugin.dispatch(effMainsChanged, 0, 1);
}

Renderer::~Renderer() {
    plugin.dispatch(effMainsChanged, 0, 0);
}

void Renderer::processBlock(std::span<const TimedMidiEvent> events, int64_t blockStart,
                            int32_t frames) {
    if (!events.empty()) {
        plugin.dispatch(effProcessEvents, 0, 0, eventBlock.fill(events, blockStart));
    }
    if (settings.replacing) {
        plugin.processReplacing(inputPointers.data(), outputPointers.data(), frames);
        return;
    }
    for (auto& output : outputs) {
        std::fill(output.begin(), output.end(), 0.0f);
    }
    plugin.process(inputPointers.data(), outputPointers.data(), frames);
}

} // namespace plughost
