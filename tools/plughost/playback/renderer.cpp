#include "tools/plughost/playback/renderer.h"

#include "tools/plughost/commands/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

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

// In place, each output that has an input of its number writes into that input's buffer.
std::vector<float*> outputPointersFor(std::vector<std::vector<float>>& outputs,
                                      std::vector<std::vector<float>>& inputs, bool inPlace) {
    std::vector<float*> pointers = pointersTo(outputs);
    for (size_t channel = 0; inPlace && channel < std::min(outputs.size(), inputs.size());
         ++channel) {
        pointers[channel] = inputs[channel].data();
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

bool withinRange(double value, const ParameterRange& range) {
    return !(value < range.lowest) && !(value > range.highest); // a NaN bound is no bound
}

// "0 to 100 %", "-24 to 0 dB", "0 to 1 (VST 2 parameters take normalised values)", with the
// labels it takes beside.
std::string valuesTaken(const Plugin& plugin, const ParameterInfo& parameter,
                        const std::vector<ScalePoint>& labels) {
    const ParameterRange range = parameter.range;
    std::string text = std::isnan(range.lowest) || std::isnan(range.highest)
                           ? "any number"
                           : numberText(range.lowest) + " to " + numberText(range.highest);
    if (plugin.format() == PluginFormat::vst2) {
        text += " (VST 2 parameters take normalised values)";
    } else {
        text += parameter.unit.empty() ? " (a number without unit)" : " " + parameter.unit;
    }
    if (labels.empty() || labels.size() > kMostLabelsListed) {
        return text;
    }
    std::vector<std::string> names;
    for (const ScalePoint& label : labels) {
        names.push_back(label.label);
    }
    return text + ", or " + joined(names);
}

std::optional<double> numberIn(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A number within the parameter's range, else the value of the label the text names.
double parameterValueOf(const Plugin& plugin, int32_t index, const std::string& text) {
    const ParameterInfo parameter = plugin.parameter(index);
    const std::optional<double> number = numberIn(text);
    if (number && withinRange(*number, parameter.range)) {
        return *number;
    }
    const std::vector<ScalePoint> labels = plugin.labelledValues(index);
    for (const ScalePoint& label : labels) {
        if (comparable(label.label) == comparable(text)) {
            return label.value;
        }
    }
    throw UsageError("bad parameter value " + (number ? text : "'" + text + "'") + " for " +
                     parameter.name + ": " + (number ? "out of range" : "not a number") +
                     "; it takes " + valuesTaken(plugin, parameter, labels));
}

std::string parameterList(const Plugin& plugin) {
    const int32_t count = plugin.parameterCount();
    if (count > kNamesInError) {
        return "plughost info lists them";
    }
    std::vector<std::string> names;
    for (int32_t index = 0; index < count; ++index) {
        names.push_back(plugin.parameter(index).name);
    }
    return "it has " + (names.empty() ? "none" : joined(names));
}

bool isNamed(const Plugin& plugin, int32_t index, const std::string& name) {
    const ParameterInfo parameter = plugin.parameter(index);
    return comparable(parameter.name) == comparable(name) ||
           (!parameter.symbol.empty() && comparable(parameter.symbol) == comparable(name));
}

int32_t parameterNamed(const Plugin& plugin, const std::string& name) {
    for (int32_t index = 0; index < plugin.parameterCount(); ++index) {
        if (isNamed(plugin, index, name)) {
            return index;
        }
    }
    throw UsageError("the plug-in has no parameter named '" + name + "' (" + parameterList(plugin) +
                     ")");
}

void selectProgram(Plugin& plugin, int32_t program) {
    const auto count = static_cast<int32_t>(plugin.presets().size());
    const std::string kind = plugin.presetKind();
    if (program >= count) {
        throw UsageError(
            kind + " " + std::to_string(program) + " does not exist: the plug-in has " +
            (count == 0 ? "no " + kind + "s" : kind + "s 0 to " + std::to_string(count - 1)));
    }
    plugin.selectPreset(program);
}

// The first of that name: the programs of a VST 2 plug-in often share one.
void selectPresetNamed(Plugin& plugin, const std::string& name) {
    std::vector<std::string> names;
    for (const PresetInfo& preset : plugin.presets()) {
        names.push_back(preset.name);
    }
    const auto found = std::find_if(names.begin(), names.end(), [&name](const std::string& given) {
        return comparable(given) == comparable(name);
    });
    if (found != names.end()) {
        plugin.selectPreset(static_cast<int32_t>(found - names.begin()));
        return;
    }
    std::vector<std::string> distinct;
    for (const std::string& given : names) {
        if (std::find(distinct.begin(), distinct.end(), given) == distinct.end()) {
            distinct.push_back(given);
        }
    }
    throw UsageError("the plug-in has no " + plugin.presetKind() + " named '" + name +
                     "' (it has " + (distinct.empty() ? "none" : joined(distinct)) + ")");
}

} // namespace

int32_t parameterIndex(const Plugin& plugin, const std::string& parameter) {
    if (!isWholeNumber(parameter)) {
        return parameterNamed(plugin, parameter);
    }
    const auto index = static_cast<int32_t>(
        parseInteger(parameter, "parameter index", 0, std::numeric_limits<int32_t>::max()));
    if (index >= plugin.parameterCount()) {
        throw UsageError("parameter index " + parameter +
                         " does not exist: the plug-in has parameters 0 to " +
                         std::to_string(plugin.parameterCount() - 1));
    }
    return index;
}

ResolvedSetting resolveSetting(const Plugin& plugin, const ParameterSetting& setting) {
    const int32_t index = parameterIndex(plugin, setting.parameter);
    return {index, parameterValueOf(plugin, index, setting.value)};
}

void applyParameterSetting(Plugin& plugin, const ParameterSetting& setting) {
    const ResolvedSetting resolved = resolveSetting(plugin, setting);
    plugin.setParameter(resolved.index, resolved.value);
}

PluginSettings parsePluginSettings(const CommandLine& line) {
    PluginSettings settings;
    if (const auto program = line.value("--program")) {
        settings.program = static_cast<int32_t>(
            parseInteger(*program, "program", 0, std::numeric_limits<int32_t>::max()));
    }
    settings.preset = line.value("--preset");
    if (settings.program && settings.preset) {
        throw UsageError("give --program or --preset, not both");
    }
    for (const auto& [option, value] : line.options()) {
        if (option == "--param") {
            settings.parameters.push_back(parseParameterSetting(value));
        }
    }
    return settings;
}

void applyPluginSettings(Plugin& plugin, const PluginSettings& settings) {
    if (settings.program) {
        selectProgram(plugin, *settings.program);
    }
    if (settings.preset) {
        selectPresetNamed(plugin, *settings.preset);
    }
    for (const ParameterSetting& parameter : settings.parameters) {
        applyParameterSetting(plugin, parameter);
    }
}

Renderer::Renderer(Plugin& plugin, const PlaybackSettings& settings)
    : plugin(plugin), settings(settings),
      inputs(channelBuffers(plugin.inputCount(), settings.blockSize)),
      outputs(channelBuffers(plugin.outputCount(), settings.blockSize)),
      inputPointers(pointersTo(inputs)),
      outputPointers(outputPointersFor(outputs, inputs, settings.inPlace)) {
    if (outputs.empty()) {
        throw HostError(plugin.outputCount() == 0
                            ? "the plug-in has no outputs"
                            : "the plug-in announces a negative number of outputs");
    }
    plugin.start(settings);
}

Renderer::~Renderer() {
    plugin.stop();
}

void Renderer::processBlock(std::span<const TimedMidiEvent> events, int64_t blockStart,
                            int32_t frames) {
    plugin.process({inputPointers.data(), outputPointers.data(), frames, events, blockStart});
}

} // namespace plughost
