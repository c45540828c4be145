// An LV2 plug-in behind plughost's format-neutral plug-in interface, hosted through lilv: its
// control input ports are the parameters, MIDI goes to its first atom input that takes it.
#pragma once

#include "tools/plughost/formats/capturedstderr.h"
#include "tools/plughost/formats/lv2atomsequence.h"
#include "tools/plughost/formats/lv2urimap.h"
#include "tools/plughost/formats/lv2world.h"
#include "tools/plughost/formats/plugin.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>

#include <array>
#include <map>
#include <optional>
#include <utility>

namespace plughost {

// A control input port as a host shows it.
struct ControlPort {
    uint32_t port;
    ParameterInfo info;
    std::vector<ScalePoint> scalePoints; // by value
};

struct Lv2Preset {
    std::string uri;
    std::string label;
};

class Lv2Plugin : public Plugin {
public:
    Lv2Plugin(const std::string& argument, const LoadSettings& settings);
    ~Lv2Plugin() override;
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    std::string name() const override;
    PluginFormat format() const override;
    std::string location() const override;
    std::string pluginClass() const override;
    std::vector<UiInfo> uis() const override;
    std::vector<PluginFact> facts() const override;

    int32_t inputCount() const override;
    int32_t outputCount() const override;
    bool takesMidi() const override;

    int32_t parameterCount() const override;
    ParameterInfo parameter(int32_t index) const override;
    double parameterValue(int32_t index) const override;
    std::string parameterDisplay(int32_t index) const override;
    std::vector<ScalePoint> labelledValues(int32_t index) const override;
    void setParameter(int32_t index, double value) override;

    std::string presetKind() const override;
    std::vector<PresetInfo> presets() const override;
    void selectPreset(int32_t index) override;

    void start(const PlaybackSettings& settings) override;
    void stop() override;
    void process(const AudioBlock& block) override;

    // For lilv's preset restore: a port's value by its symbol.
    void setPortValue(const char* symbol, const void* value, uint32_t type);

    // What a UI of the plug-in needs of its host.
    const LilvPlugin* lilvPlugin() const { return plugin; }
    const Lv2World& lilvWorld() const { return world; }
    UridMap& urids() { return uridMap; }
    const std::vector<ControlPort>& controlInputs() const { return parameters; }
    const std::vector<uint32_t>& controlOutputPorts() const { return controlOutputs; }
    float portValue(uint32_t port) const { return portValues[port]; }
    // A UI's write: a control input's value (protocol 0, one float), or an atom (protocol
    // atom:eventTransfer, the atom whole) that an atom input gets at the start of the next block.
    // False for a write the plug-in has no port or protocol for.
    bool writeFromUi(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer);
    // The atoms the plug-in wrote to an atom output in the last block.
    std::vector<AtomMessage> outputAtoms(uint32_t port) const;

private:
    void checkPortIndices() const;
    std::optional<uint64_t> portIndexIn(const LilvNode* port) const;
    void readPorts();
    void readControlPort(const LilvPort* port, uint32_t index, float lowest, float highest,
                         float fallback);
    std::string unitOf(const LilvPort* port) const;
    std::vector<ScalePoint> scalePointsOf(const LilvPort* port) const;
    void requireFeatures();
    void setOptions(const LoadSettings& settings);
    void readPresets();
    void instantiate(const LoadSettings& settings, const CapturedStderr& diagnostics);
    void requireEntries() const;
    const LV2_Descriptor* descriptorIn(void* library) const;
    void connectFixedPorts();
    std::string symbolOf(uint32_t port) const;
    std::string portList(const std::vector<uint32_t>& ports) const;
    std::string uri() const;

    Lv2World world;
    const LilvPlugin* plugin = nullptr;
    UridMap uridMap;
    AtomSequenceBuffer::Types atomTypes;

    std::array<LV2_Options_Option, 6> options{};
    int32_t minimumBlock = 1;
    int32_t maximumBlock = 0;
    int32_t sequenceSize = 0;
    float sampleRate = 0.0f;
    std::array<LV2_Feature, 4> featureData{};
    std::array<const LV2_Feature*, 5> features{};

    LilvInstance* instance = nullptr;
    bool active = false;
    bool inPlaceBroken = false;

    std::vector<float> portValues; // control ports, in and out, by port index
    std::vector<ControlPort> parameters;
    std::vector<uint32_t> audioInputs;
    std::vector<uint32_t> audioOutputs;
    std::vector<uint32_t> controlOutputs;
    std::optional<uint32_t> midiInput;
    std::vector<uint32_t> plainAtomInputs;                   // without MIDI: handed empty sequences
    std::map<uint32_t, std::vector<AtomMessage>> uiMessages; // by port, for the next block
    std::map<uint32_t, AtomSequenceBuffer> messageBuffers;   // plain inputs' with messages
    std::vector<std::pair<uint32_t, AtomSequenceBuffer>> atomOutputs;
    std::vector<uint32_t> absentPorts; // optional ports of kinds plughost does not connect
    AtomSequenceBuffer midiBuffer;
    AtomSequenceBuffer emptyBuffer;
    std::vector<Lv2Preset> presetList;
};

} // namespace plughost
