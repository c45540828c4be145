#include "tools/plughost/formats/vst2plugin.h"

#include "tools/plughost/commands/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>

namespace plughost {
namespace {

struct FlagName {
    int32_t flag;
    const char* name;
};

constexpr std::array kFlagNames = {
    FlagName{effFlagsHasEditor, "editor"},
    FlagName{effFlagsHasClip, "clip meter"},
    FlagName{effFlagsHasVu, "VU meter"},
    FlagName{effFlagsCanMono, "can process mono"},
    FlagName{effFlagsCanReplacing, "in-place processing"},
    FlagName{effFlagsProgramChunks, "program chunks"},
    FlagName{effFlagsIsSynth, "instrument"},
    FlagName{effFlagsNoSoundInStop, "silent when stopped"},
    FlagName{effFlagsExtIsAsync, "asynchronous"},
    FlagName{effFlagsExtHasBuffer, "external buffer"},
};

// "25: editor, can process mono, in-place processing"; bits without a name by number.
std::string describeFlags(int32_t flags) {
    std::string names;
    auto remaining = static_cast<uint32_t>(flags);
    for (const FlagName& known : kFlagNames) {
        if ((remaining & static_cast<uint32_t>(known.flag)) != 0) {
            names += std::string(names.empty() ? "" : ", ") + known.name;
            remaining &= ~static_cast<uint32_t>(known.flag);
        }
    }
    while (remaining != 0) {
        const int bit = std::countr_zero(remaining);
        names += (names.empty() ? "bit " : ", bit ") + std::to_string(bit);
        remaining &= remaining - 1;
    }
    return std::to_string(flags) + (names.empty() ? "" : ": " + names);
}

// The answer to a capability question: 1 yes, -1 no, 0 (or anything else) no answer.
std::string canDo(const PluginInstance& plugin, std::string capability) {
    const intptr_t answer = plugin.dispatch(effCanDo, 0, 0, capability.data());
    return capability + " " + (answer == 1 ? "yes" : answer == -1 ? "no" : "no answer");
}

// Steps across 0..1 at which a parameter's display texts are read: fine enough for a switch
// of 128 positions and a controller number's "OFF" at the top.
constexpr int kProbeSteps = 1024;

// Where a run of equal texts touches an end of the range, that end; else its middle, away from
// the rounding at its edges.
double runValue(double first, double last) {
    if (first == 0.0 || last == 1.0) {
        return first == 0.0 ? first : last;
    }
    return (first + last) / 2.0;
}

// The library, the host and the instance, made before the adapter that drives them.
struct Vst2Parts {
    explicit Vst2Parts(const std::string& path) : library(path), instance(library, host) {}

    PluginLibrary library;
    RecordingHost host;
    PluginInstance instance;
};

class LoadedVst2Plugin : private Vst2Parts, public Vst2Plugin {
public:
    explicit LoadedVst2Plugin(const std::string& path)
        : Vst2Parts(path), Vst2Plugin(Vst2Parts::instance, path) {}
};

} // namespace

Vst2Plugin::Vst2Plugin(const PluginInstance& instance, std::string path)
    : instance(instance), path(std::move(path)) {}

std::string Vst2Plugin::name() const {
    char name[256] = {};
    instance.dispatch(effGetEffectName, 0, 0, name);
    name[sizeof name - 1] = '\0';
    if (name[0] != '\0') {
        return name;
    }
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

PluginFormat Vst2Plugin::format() const {
    return PluginFormat::vst2;
}

std::string Vst2Plugin::location() const {
    return path;
}

// A VST 2 record tells only whether it is an instrument.
std::string Vst2Plugin::pluginClass() const {
    return (instance.record()->flags & effFlagsIsSynth) != 0 ? "instrument" : "effect";
}

std::vector<UiInfo> Vst2Plugin::uis() const {
    if ((instance.record()->flags & effFlagsHasEditor) == 0) {
        return {};
    }
    return {{"VST 2 editor", path, true}};
}

std::vector<PluginFact> Vst2Plugin::facts() const {
    const AEffect& effect = *instance.record();
    return {
        {"magic", fourCharText(effect.magic)},
        {"unique id", fourCharText(effect.uniqueID)},
        {"version", std::to_string(effect.version)},
        {"inputs", std::to_string(effect.numInputs)},
        {"outputs", std::to_string(effect.numOutputs)},
        {"flags", describeFlags(effect.flags)},
        {"MIDI input",
         canDo(instance, "receiveVstEvents") + ", " + canDo(instance, "receiveVstMidiEvent")},
        {"programs", std::to_string(effect.numPrograms)},
        {"parameters", std::to_string(effect.numParams)},
        {"initial delay", std::to_string(effect.initialDelay)},
        {"io ratio", numberText(static_cast<double>(effect.ioRatio))},
    };
}

int32_t Vst2Plugin::inputCount() const {
    return instance.record()->numInputs;
}

int32_t Vst2Plugin::outputCount() const {
    return instance.record()->numOutputs;
}

bool Vst2Plugin::takesMidi() const {
    return true;
}

int32_t Vst2Plugin::parameterCount() const {
    return instance.record()->numParams;
}

// Every VST 2 parameter takes a normalised value; what it means is the plug-in's display text.
ParameterInfo Vst2Plugin::parameter(int32_t index) const {
    return {instance.parameterName(index), "", instance.parameterLabel(index), {0.0, 1.0}, {}, {}};
}

// The texts it shows across its range, each once, with a value that shows it. Read once, before
// playback: the parameter is moved across its range and back.
std::vector<ScalePoint> Vst2Plugin::labelledValues(int32_t index) const {
    const auto known = displayTexts.find(index);
    if (known != displayTexts.end()) {
        return known->second;
    }
    const float original = instance.getParameter(index);
    std::vector<std::string> texts;
    for (int step = 0; step <= kProbeSteps; ++step) {
        instance.setParameter(index, static_cast<float>(step) / kProbeSteps);
        texts.push_back(instance.parameterDisplay(index));
    }
    instance.setParameter(index, original);
    std::vector<ScalePoint> runs;
    for (size_t first = 0; first < texts.size();) {
        size_t last = first;
        while (last + 1 < texts.size() && texts[last + 1] == texts[first]) {
            ++last;
        }
        const bool seen = std::any_of(runs.begin(), runs.end(), [&](const ScalePoint& point) {
            return point.label == texts[first];
        });
        if (!seen && !texts[first].empty()) {
            runs.push_back({runValue(static_cast<double>(first) / kProbeSteps,
                                     static_cast<double>(last) / kProbeSteps),
                            texts[first]});
        }
        first = last + 1;
    }
    displayTexts[index] = runs;
    return runs;
}

double Vst2Plugin::parameterValue(int32_t index) const {
    return static_cast<double>(instance.getParameter(index));
}

std::string Vst2Plugin::parameterDisplay(int32_t index) const {
    return instance.parameterDisplay(index);
}

void Vst2Plugin::setParameter(int32_t index, double value) {
    instance.setParameter(index, static_cast<float>(value));
}

std::string Vst2Plugin::presetKind() const {
    return "program";
}

// Read as hosts read them: each program selected in turn, then the current one again.
std::vector<PresetInfo> Vst2Plugin::presets() const {
    std::vector<PresetInfo> programs;
    const auto current = instance.dispatch(effGetProgram);
    for (int32_t program = 0; program < instance.record()->numPrograms; ++program) {
        instance.dispatch(effSetProgram, 0, program);
        programs.push_back({instance.programName(), "", program == current});
    }
    instance.dispatch(effSetProgram, 0, current);
    return programs;
}

void Vst2Plugin::selectPreset(int32_t index) {
    instance.dispatch(effSetProgram, 0, index);
}

// The accumulating entry is the default; a plug-in without it is run as hosts run it today.
void Vst2Plugin::start(const PlaybackSettings& settings) {
    const AEffect& effect = *instance.record();
    if (effect.processReplacing == nullptr && (settings.replacing || settings.inPlace)) {
        throw HostError(std::string("the plug-in has no processReplacing entry: leave out ") +
                        (settings.inPlace ? "--in-place" : "--replacing"));
    }
    replacing = settings.replacing || settings.inPlace || effect.process == nullptr;
    instance.dispatch(effSetSampleRate, 0, 0, nullptr, settings.sampleRate);
    instance.dispatch(effSetBlockSize, 0, settings.blockSize);
    instance.dispatch(effMainsChanged, 0, 1);
}

void Vst2Plugin::stop() {
    instance.dispatch(effMainsChanged, 0, 0);
}

void Vst2Plugin::process(const AudioBlock& block) {
    if (!block.events.empty()) {
        instance.dispatch(effProcessEvents, 0, 0, eventBlock.fill(block.events, block.start));
    }
    if (replacing) {
        instance.processReplacing(block.inputs, block.outputs, block.frames);
        return;
    }
    for (int32_t output = 0; output < outputCount(); ++output) {
        std::fill_n(block.outputs[output], block.frames, 0.0f);
    }
    instance.process(block.inputs, block.outputs, block.frames);
}

std::unique_ptr<Plugin> loadVst2Plugin(const std::string& path) {
    return std::make_unique<LoadedVst2Plugin>(path);
}

} // namespace plughost
