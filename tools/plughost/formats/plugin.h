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

// LV2 for a folder, a name ending in .lv2 (a bundle, even a missing one) or a URI (a name with a
// colon that is no existing path); VST 2 for everything else.
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

// "name             value": the lines info prints first.
struct SummaryLine {
    std::string key;
    std::string value;
};

struct TableColumn {
    std::string heading;
    size_t minimumWidth = 0;
};

// Columns as wide as their widest text (at least the minimum); the last one is not padded.
struct TextTable {
    std::vector<TableColumn> columns;
    std::vector<std::vector<std::string>> rows;
};

struct PresetLine {
    std::string name;
    std::string note; // printed after it, e.g. "(current)"
};

struct ParameterRange {
    double lowest;
    double highest;
};

class Plugin {
public:
    virtual ~Plugin() = default;

    // The plug-in's own name, else its file name.
    virtual std::string name() const = 0;
    virtual int32_t inputCount() const = 0;
    virtual int32_t outputCount() const = 0;
    // Whether MIDI events reach it: VST 2 plug-ins are handed them whatever they answer.
    virtual bool takesMidi() const = 0;

    virtual int32_t parameterCount() const = 0;
    virtual std::string parameterName(int32_t index) const = 0;
    // A second name the parameter is known by ("" for none).
    virtual std::string parameterSymbol(int32_t index) const = 0;
    virtual std::string parameterDisplay(int32_t index) const = 0;
    // Values outside it are clamped before they are set; NaN bounds for none.
    virtual ParameterRange parameterRange(int32_t index) const = 0;
    // In the plug-in's own units: 0 to 1 for VST 2, the port's for LV2.
    virtual void setParameter(int32_t index, double value) = 0;

    // "program" or "preset", for messages.
    virtual std::string presetKind() const = 0;
    virtual int32_t presetCount() const = 0;
    virtual std::vector<std::string> presetNames() const = 0;
    virtual void selectPreset(int32_t index) = 0;

    // For info.
    virtual std::vector<SummaryLine> summary() const = 0;
    virtual TextTable parameterTable() const = 0;
    virtual std::vector<PresetLine> presetList() const = 0;

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
