// Many instances at once, processed on two threads and closed in another order, the way a
// large session loads, plays and unloads.
#include "tests/host/plugin_fixture.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kInstances = 64;
constexpr int kFrames = 256;

struct StereoBlock {
    std::vector<float> left = std::vector<float>(kFrames);
    std::vector<float> right = std::vector<float>(kFrames);
    float* channels[2] = {left.data(), right.data()};
};

void playBlocks(const plughost::PluginInstance& plugin, int blocks, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    StereoBlock input;
    StereoBlock output;
    for (int block = 0; block < blocks; ++block) {
        for (int i = 0; i < kFrames; ++i) {
            input.left[i] = sample(random);
            input.right[i] = sample(random);
        }
        std::fill(output.left.begin(), output.left.end(), 0.0f);
        std::fill(output.right.begin(), output.right.end(), 0.0f);
        plugin.process(input.channels, output.channels, kFrames);
        for (int i = 0; i < kFrames; ++i) {
            ASSERT_TRUE(std::isfinite(output.left[i]) && std::isfinite(output.right[i]));
        }
    }
}

} // namespace

TEST(Lifecycle, SixtyFourInstancesOnTwoThreadsClosedInAnotherOrder) {
    plughost::RecordingHost host;
    std::vector<std::unique_ptr<plughost::PluginInstance>> instances;
    for (int i = 0; i < kInstances; ++i) {
        instances.push_back(std::make_unique<plughost::PluginInstance>(builtPlugin(), host));
        const auto& plugin = *instances.back();
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, i % 2 == 0 ? 44100.0f : 48000.0f);
        plugin.dispatch(effMainsChanged, 0, 1);
        plugin.setParameter(param::frequency, static_cast<float>(i) / kInstances);
        plugin.setParameter(param::filterType, i % 3 == 0 ? 1.0f : 0.0f);
    }
    auto playHalf = [&](int first) {
        for (int i = first; i < kInstances; i += 2) {
            playBlocks(*instances[i], 8, static_cast<unsigned>(i));
        }
    };
    std::thread even(playHalf, 0);
    std::thread odd(playHalf, 1);
    even.join();
    odd.join();
    std::vector<int> closingOrder(kInstances);
    for (int i = 0; i < kInstances; ++i) {
        closingOrder[i] = (i * 37) % kInstances;
    }
    for (int i : closingOrder) {
        instances[i]->close();
    }
}

TEST(Lifecycle, InstancesThatPlayTheSameGiveTheSameSamples) {
    plughost::RecordingHost host;
    plughost::PluginInstance first(builtPlugin(), host);
    plughost::PluginInstance second(builtPlugin(), host);
    StereoBlock input;
    for (int i = 0; i < kFrames; ++i) {
        input.left[i] = std::sin(i * 0.05f);
        input.right[i] = std::cos(i * 0.03f);
    }
    StereoBlock firstOut;
    StereoBlock secondOut;
    first.process(input.channels, firstOut.channels, kFrames);
    plughost::PluginInstance third(builtPlugin(), host); // another creation in between
    second.process(input.channels, secondOut.channels, kFrames);
    EXPECT_EQ(firstOut.left, secondOut.left);
    EXPECT_EQ(firstOut.right, secondOut.right);
}
