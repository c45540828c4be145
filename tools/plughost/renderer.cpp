#include "tools/plughost/renderer.h"

#include "tools/plughost/text.h"

#include <algorithm>
#include <charconv>
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

// Plug-ins that list many parameters are better read in plughost info than in one error line.
constexpr int32_t kNamesInError = 16;

bool isWholeNumber(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    return !text.empty() && std::from_chars(text.data(), end, value).ptr == end;
}

// Plug-ins pad names with spaces, and users do not type a name's capitals as it shows them.
std::string comparable(const std::string& name) {
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    return lowercase(first == std::string::npos ? "" : name.substr(first, last - first + 1));
}

std::string parameterList(const PluginInstance& plugin) {
    const int32_t count = plugin.record()->numParams;
    if (count > kNamesInError) {
        return "plughost info lists them";
    }
    std::vector<std::string> names;
    for (int32_t index = 0; index < count; ++index) {
        names.push_back(plugin.parameterName(index));
    }
    return "it has " + (names.empty() ? "none" : joined(names));
}

int32_t parameterNamed(const PluginInstance& plugin, const std::string& name) {
    for (int32_t index = 0; index < plugin.record()->numParams; ++index) {
        if (comparable(plugin.parameterName(index)) == comparable(name)) {
            return index;
        }
    }
    throw UsageError("the plug-in has no parameter named '" + name + "' (" + parameterList(plugin) +
                     ")");
}

} // namespace

int32_t parameterIndex(const PluginInstance& plugin, const std::string& parameter) {
    if (!isWholeNumber(parameter)) {
        return parameterNamed(plugin, parameter);
    }
    const auto index = static_cast<int32_t>(
        parseInteger(parameter, "parameter index", 0, std::numeric_limits<int32_t>::max()));
    if (index >= plugin.record()->numParams) {
        throw UsageError("parameter index " + parameter +
                         " does not exist: the plug-in has parameters 0 to " +
                         std::to_string(plugin.record()->numParams - 1));
    }
    return index;
}

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
        plugin.setParameter(parameterIndex(plugin, parameter.parameter), parameter.value);
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
    // The accumulating entry is the default; a plug-in without it is run as hosts run it today.
    if (plugin.record()->processReplacing == nullptr && this->settings.replacing) {
        throw HostError("the plug-in has no processReplacing entry: leave out --replacing");
    }
    this->settings.replacing = this->settings.replacing || plugin.record()->process == nullptr;
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
