// A VST 2 instance behind plughost's format-neutral plug-in interface.
#pragma once

#include "tools/plughost/formats/plugin.h"
#include "tools/plughost/formats/vst2library.h"

#include <map>

namespace plughost {

// Drives an open instance it does not own: the editor commands keep their instance and host.
class Vst2Plugin : public Plugin {
public:
    Vst2Plugin(const PluginInstance& instance, std::string path);

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

private:
    const PluginInstance& instance;
    std::string path;
    bool replacing = false;
    VstEventBlock eventBlock;
    mutable std::map<int32_t, std::vector<ScalePoint>> displayTexts; // labelledValues, by index
};

// Loads the library, creates and opens an instance with a recording host.
std::unique_ptr<Plugin> loadVst2Plugin(const std::string& path);

} // namespace plughost
