// Audio out as a host hears it, for given parameters, programs and rates.
#include "tests/host/plugin_fixture.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Stereo {
    explicit Stereo(int32_t frames, float value = 0.0f)
        : left(frames, value), right(frames, value) {}
    std::vector<float> left, right;
    std::array<float*, 2> pointers() { return {left.data(), right.data()}; }
};

class AudioTest : public PluginTest {
protected:
    // Processes `input` into a copy of `output` and returns what the host finds there.
    Stereo run(Stereo input, Stereo output, bool replacing = false) {
        auto in = input.pointers();
        auto out = output.pointers();
        const auto frames = static_cast<int32_t>(input.left.size());
        if (replacing) {
            plugin->processReplacing(in.data(), out.data(), frames);
        } else {
            plugin->process(in.data(), out.data(), frames);
        }
        return output;
    }
};

TEST_F(AudioTest, FreshInstancePassesTheSignalUntilTheFirstCoefficientStep) {
    plugin->setParameter(param::gain, 1.0f);
    const Stereo out = run(Stereo(5, 0.5f), Stereo(5));
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(out.left[i], 0.4791667f) << i;
        EXPECT_FLOAT_EQ(out.right[i], 0.4791667f) << i;
    }
    const Stereo filtered = run(Stereo(1), Stereo(1));
    EXPECT_GT(filtered.left[0], 0.0f) << "the sixth sample is filtered: it rings on";
}

TEST_F(AudioTest, ProcessAddsAndProcessReplacingOverwrites) {
    plugin->setParameter(param::gain, 1.0f);
    const Stereo added = run(Stereo(3, 0.5f), Stereo(3, 0.25f));
    EXPECT_FLOAT_EQ(added.left[2], 0.7291667f);
    EXPECT_FLOAT_EQ(added.right[0], 0.7291667f);
    const Stereo replaced = run(Stereo(2, 0.5f), Stereo(2, 0.25f), true);
    EXPECT_NE(replaced.left[0], 0.7291667f);
    EXPECT_LT(std::fabs(replaced.left[1] - 0.4791667f), 1e-6f);
}

TEST_F(AudioTest, SaturatorFoldsOverAndTheLimiterHoldsTheCeilingAtOnce) {
    plugin->setParameter(param::gain, 1.0f);
    Stereo input(2, 3.0f);
    input.right = {-3.0f, 0.5f};
    const Stereo out = run(input, Stereo(2));
    EXPECT_FLOAT_EQ(out.left[0], -1.0f);
    EXPECT_FLOAT_EQ(out.right[0], 1.0f);
    EXPECT_FLOAT_EQ(out.left[1], -1.0f);
    EXPECT_LT(std::fabs(out.right[1]), 0.4791667f) << "the right envelope is still releasing";
}

TEST_F(AudioTest, SilenceGivesSilenceAndDecayedHistoryIsFlushedToZero) {
    const Stereo quiet = run(Stereo(256), Stereo(256, 0.125f));
    EXPECT_EQ(quiet.left, std::vector<float>(256, 0.125f));
    EXPECT_EQ(quiet.right, std::vector<float>(256, 0.125f));

    // Unit gain makes the output the filter's y; one sample per block examines it each time.
    plugin->setParameter(param::gain, 1.0f);
    Stereo impulse(1, 1.0f);
    run(impulse, Stereo(1));
    bool flushed = false;
    for (int i = 0; i < 100000 && !flushed; ++i) {
        const float out = run(Stereo(1), Stereo(1)).left[0];
        ASSERT_TRUE(std::isfinite(out));
        flushed = std::fabs(out) < std::numeric_limits<float>::min();
    }
    ASSERT_TRUE(flushed);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(run(Stereo(1), Stereo(1)).left[0], 0.0f) << i;
    }
}

TEST_F(AudioTest, HighPassRemovesTheSteadyLevelThatLowPassKeeps) {
    plugin->setParameter(param::gain, 1.0f);
    const float lowPassed = run(Stereo(4096, 0.25f), Stereo(4096)).left[4095];
    plugin->dispatch(effSetProgram, 0, 0);
    plugin->setParameter(param::gain, 1.0f);
    plugin->setParameter(param::filterType, 1.0f);
    const float highPassed = run(Stereo(4096, 0.25f), Stereo(4096)).left[4095];
    EXPECT_NEAR(lowPassed, 0.25f - 0.25f * 0.25f * 0.25f / 6.0f, 1e-4);
    EXPECT_NEAR(highPassed, 0.0f, 1e-4);
}

TEST_F(AudioTest, SampleRateChangesKeepTheFilterWorking) {
    for (float rate : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 96000.0f, 8000.0f}) {
        plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        plugin->dispatch(effMainsChanged, 0, 1);
        const Stereo out = run(Stereo(2048, 0.25f), Stereo(2048), true);
        EXPECT_NEAR(out.left[2047], 0.06276f, 1e-4) << rate; // -12 dB, barely saturated
    }
}

TEST_F(AudioTest, ResumeAsksForMidi) {
    plugin->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.requestsWithOpcode(audioMasterWantMidi).size(), 1u);
}

TEST_F(AudioTest, EmptyBlocksChangeNothing) {
    Stereo out(4, 0.5f);
    auto pointers = out.pointers();
    plugin->process(pointers.data(), pointers.data(), 0);
    plugin->processReplacing(pointers.data(), pointers.data(), -8);
    EXPECT_EQ(out.left, std::vector<float>(4, 0.5f));
}

} // namespace
