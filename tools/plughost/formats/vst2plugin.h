// A VST 2 instance behind plughost's format-neutral plug-in interface.
#pragma once

#include "tools/plughost/formats/plugin.h"
#include "tools/plughost/formats/vst2library.h"

namespace plughost {

// Drives an open instance it does not own: the editor commands keep their instance and host.
class Vst2Plugin : public Plugin {
public:
    Vst2Plugin(const PluginInstance& instance, std::string path);

    std::string name() const override;
    int32_t inputCount() const override;
    int32_t outputCount() const override;
    bool takesMidi() const override;

    int32_t parameterCount() const override;
    std::string parameterName(int32_t index) const override;
    std::string parameterSymbol(int32_t index) const override;
    std::string parameterDisplay(int32_t index) const override;
    ParameterRange parameterRange(int32_t index) const override;
    void setParameter(int32_t index, double value) override;

    std::string presetKind() const override;
    int32_t presetCount() const override;
    std::vector<std::string> presetNames() const override;
    void selectPreset(int32_t index) override;

    std::vector<SummaryLine> summary() const override;
    TextTable parameterTable() const override;
    std::vector<PresetLine> presetList() const override;

    void start(const PlaybackSettings& settings) override;
    void stop() override;
    void process(const AudioBlock& block) override;

private:
    const PluginInstance& instance;
    std::string path;
    bool replacing = false;
    VstEventBlock eventBlock;
};

// Loads the library, creates and opens an instance with a recording host.
std::unique_ptr<Plugin> loadVst2Plugin(const std::string& path);

} // namespace plughost
