// What plughost's commands need of a plug-in, whatever its format: its parameters, presets,
// audio channels and a block of audio with its MIDI events. Each format implements it once.
#pragma once

#include "tools/plughost/playback/midievents.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plughost {

enum class PluginFormat { vst2, lv2 };

// The format of the plug-in the argument names, as findPlugin finds it; throws HostError when it
// finds none.
PluginFormat pluginFormatOf(const std::string& argument);

struct PlaybackSettings {
    float sampleRate;
    int32_t blockSize; // the longest block processed
    // VST 2: processReplacing instead of process into a cleared buffer; a plug-in with only
    // processReplacing is run through it either way. LV2 plug-ins always replace.
    bool replacing = false;
    // The outputs are the input buffers, as some hosts pass them (VST 2: processReplacing).
    bool inPlace = false;
};

struct AudioBlock {
    float** inputs;
    float** outputs;
    int32_t frames;
    std::span<const TimedMidiEvent> events; // all within the block, in frame order
    int64_t start;                          // the block's first frame
};

// A fact only one format has, e.g. a VST 2 record's flags or an LV2 plug-in's features.
struct PluginFact {
    std::string key;
    std::string value;
};

struct ParameterRange {
    double lowest; // NaN when the plug-in gives none
    double highest;
};

struct ScalePoint {
    double value;
    std::string label;
};

// A parameter as the plug-in describes it, in the units --param takes: 0 to 1 for VST 2, the
// port's own for LV2.
struct ParameterInfo {
    std::string name;
    std::string symbol; // a second name it is known by ("" for none)
    std::string unit;   // e.g. "dB", "%"; a VST 2 plug-in's label
    ParameterRange range;
    std::optional<double> defaultValue;
    std::vector<std::string> properties; // e.g. "integer", "enumeration", "toggled"
};

// Parameters with more labels than this are no switch: their labels are accepted but not listed.
constexpr size_t kMostLabelsListed = 16;

struct PresetInfo {
    std::string name;
    std::string uri; // "" for a VST 2 program
    bool current;
};

// A user interface the plug-in offers.
struct UiInfo {
    std::string type;    // e.g. "ui:X11UI", "VST 2 editor"
    std::string library; // the file it is loaded from
    bool libraryExists;
};

class Plugin {
public:
    virtual ~Plugin() = default;

    // The plug-in's own name, else its file name.
    virtual std::string name() const = 0;
    virtual PluginFormat format() const = 0;
    // Its library's path (VST 2) or its URI (LV2).
    virtual std::string location() const = 0;
    // What kind of plug-in it says it is, e.g. "Filter", "instrument".
    virtual std::string pluginClass() const = 0;
    virtual std::vector<UiInfo> uis() const = 0;
    virtual std::vector<PluginFact> facts() const = 0;

    virtual int32_t inputCount() const = 0;
    virtual int32_t outputCount() const = 0;
    // Whether MIDI events reach it: VST 2 plug-ins are handed them whatever they answer.
    virtual bool takesMidi() const = 0;

    virtual int32_t parameterCount() const = 0;
    virtual ParameterInfo parameter(int32_t index) const = 0;
    virtual double parameterValue(int32_t index) const = 0;
    // The value as the plug-in shows it.
    virtual std::string parameterDisplay(int32_t index) const = 0;
    // The values with a text of their own that --param takes instead of a number, by value:
    // LV2's scale points, the texts a VST 2 plug-in shows across its range.
    virtual std::vector<ScalePoint> labelledValues(int32_t index) const = 0;
    // In the parameter's units, within its range.
    virtual void setParameter(int32_t index, double value) = 0;

    // "program" or "preset", for messages.
    virtual std::string presetKind() const = 0;
    virtual std::vector<PresetInfo> presets() const = 0;
    virtual void selectPreset(int32_t index) = 0;

    // Switched on for playback, and off again.
    virtual void start(const PlaybackSettings& settings) = 0;
    virtual void stop() = 0;
    virtual void process(const AudioBlock& block) = 0;
};

// What a plug-in must know before it is created: LV2 plug-ins take the rate and the longest
// block when they are instantiated.
struct LoadSettings {
    float sampleRate = 44100.0f;
    int32_t blockSize = 512;
};

// Loads a plug-in of either format; throws HostError when it cannot.
std::unique_ptr<Plugin> loadPlugin(const std::string& argument, const LoadSettings& settings);

} // namespace plughost
