// Loads the built plug-in once per test binary and creates instances the way a host does.
#pragma once

#include "tools/plughost/formats/vst2library.h"

#include <gtest/gtest.h>

#include <memory>

// Parameter indices as a host knows them: by number.
namespace param {
constexpr int32_t filterType = 0;
constexpr int32_t frequency = 1;
constexpr int32_t resonance = 2;
constexpr int32_t smoothness = 3;
constexpr int32_t gain = 4;
constexpr int32_t ccCutoff = 5;
constexpr int32_t ccRezo = 6;
constexpr int32_t ccSmooth = 7;
} // namespace param

inline plughost::PluginLibrary& builtPlugin() {
    static plughost::PluginLibrary library(GLIDEFILTER_PLUGIN_PATH);
    return library;
}

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = std::make_unique<plughost::PluginInstance>(builtPlugin(), host);
        host.clear();
    }

    plughost::RecordingHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
};
