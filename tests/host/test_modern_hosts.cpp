// What a host sees of the in-place build, and that the default build stays as announced.
#include "tests/host/plugin_fixture.h"

#include <algorithm>
#include <vector>

namespace {

constexpr bool kModernBuild = GLIDEFILTER_MODERN_HOSTS != 0;
constexpr int kFrames = 700;

std::vector<float> rendered(bool replacing) {
    plughost::RecordingHost host;
    plughost::PluginInstance plugin(builtPlugin(), host);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.setParameter(param::resonance, 0.9f);
    plugin.setParameter(param::frequency, 0.2f);
    std::vector<float> left(kFrames), right(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        left[i] = (i % 50) < 25 ? 0.8f : -0.8f;
        right[i] = (i % 70) < 35 ? -0.5f : 0.5f;
    }
    std::vector<float> outLeft(kFrames, replacing ? 123.0f : 0.0f);
    std::vector<float> outRight(kFrames, replacing ? -7.0f : 0.0f);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    for (int start = 0; start < kFrames; start += 128) {
        float* blockIn[] = {inputs[0] + start, inputs[1] + start};
        float* blockOut[] = {outputs[0] + start, outputs[1] + start};
        const int frames = std::min(128, kFrames - start);
        if (replacing) {
            plugin.processReplacing(blockIn, blockOut, frames);
        } else {
            plugin.process(blockIn, blockOut, frames);
        }
    }
    outLeft.insert(outLeft.end(), outRight.begin(), outRight.end());
    return outLeft;
}

} // namespace

TEST_F(PluginTest, InPlaceProcessingIsAnnouncedOnlyByTheModernBuild) {
    EXPECT_EQ((plugin->record()->flags & effFlagsCanReplacing) != 0, kModernBuild);
    EXPECT_NE(plugin->record()->flags & effFlagsCanMono, 0);
}

TEST_F(PluginTest, MidiCapabilityWordsAreAnsweredOnlyByTheModernBuild) {
    const intptr_t expected = kModernBuild ? 1 : 0;
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), expected);
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), expected);
    for (const char* other : {"sendVstEvents", "receiveVstTimeInfo", "bypass", ""}) {
        EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>(other)), 0) << other;
    }
}

TEST(ModernHosts, ReplacingEntrySoundsLikeTheAccumulatingOneOnlyInTheModernBuild) {
    const std::vector<float> accumulated = rendered(false);
    const std::vector<float> replaced = rendered(true);
    if (kModernBuild) {
        EXPECT_EQ(replaced, accumulated);
    } else {
        EXPECT_NE(replaced, accumulated); // the resonance factor differs: 0.2 against 0.4
    }
}
