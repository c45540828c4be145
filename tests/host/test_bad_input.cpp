// What a careless or hostile host may send: every opcode with null pointers, indices outside
// every range and extreme numbers; empty, negative and huge blocks; absurd sample rates; samples
// that are not numbers. The instance must survive all of it and go on sounding right.
#include "tests/host/plugin_fixture.h"
#include "tests/unit/event_list.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

constexpr int32_t kIndices[] = {0, -1, 7, 8, 9, 10, 16, 1000, INT32_MIN, INT32_MAX};
constexpr intptr_t kValues[] = {0, 1, -1, 16, 128, intptr_t{1} << 40, INTPTR_MIN, INTPTR_MAX};
constexpr float kOpts[] = {0.0f, -0.0f, 1.0f, -1.0f, kNaN, kInfinity, -kInfinity, 3.4e38f, 1e-45f};

struct Stereo {
    explicit Stereo(int32_t frames, float value = 0.0f)
        : left(frames, value), right(frames, value) {}
    std::vector<float> left, right;
    float* channels[2] = {left.data(), right.data()};
    bool finite() const {
        for (size_t i = 0; i < left.size(); ++i) {
            if (!std::isfinite(left[i]) || !std::isfinite(right[i])) {
                return false;
            }
        }
        return true;
    }
};

Stereo noise(int32_t frames, unsigned seed, float level = 0.5f) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-level, level);
    Stereo block(frames);
    for (int32_t i = 0; i < frames; ++i) {
        block.left[i] = sample(random);
        block.right[i] = sample(random);
    }
    return block;
}

// Either untouched (all 'x'), or a text of at most `limit` characters with nothing written
// behind its terminator.
bool writtenWithin(const char* buffer, size_t size, size_t limit) {
    const void* end = std::memchr(buffer, '\0', limit + 1);
    const size_t written = end == nullptr ? 0 : static_cast<const char*>(end) - buffer + 1;
    for (size_t i = written; i < size; ++i) {
        if (buffer[i] != 'x') {
            return false;
        }
    }
    return true;
}

class BadInputTest : public PluginTest {
protected:
    // A block of noise through the plug-in; what it wrote.
    Stereo play(int32_t frames, bool replacing, unsigned seed = 1) {
        Stereo input = noise(frames, seed);
        Stereo output(frames);
        if (replacing) {
            plugin->processReplacing(input.channels, output.channels, frames);
        } else {
            plugin->process(input.channels, output.channels, frames);
        }
        return output;
    }

    // Still a working instance: sane answers, parameters in range, finite sound.
    void expectHealthy(const std::string& after) {
        EXPECT_EQ(plugin->dispatch(effIdentify), 0x4e764566) << after;
        const auto program = plugin->dispatch(effGetProgram);
        EXPECT_TRUE(program >= 0 && program < 16) << after << ": program " << program;
        for (int32_t index = 0; index < 8; ++index) {
            const float value = plugin->getParameter(index);
            EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << after << ": parameter " << index;
        }
        for (bool replacing : {false, true}) {
            EXPECT_TRUE(play(512, replacing).finite()) << after;
        }
    }
};

// Opcodes that are no host's business to send at random: the closing one (last, once) and the
// editor's opening, whose pointer is a window id (tests/x11 tries garbage ids on a server).
bool sentSeparately(int32_t opcode) {
    return opcode == effClose || opcode == effEditOpen;
}

std::vector<int32_t> everyOpcode() {
    std::vector<int32_t> opcodes;
    for (int32_t opcode = -1; opcode <= 60; ++opcode) {
        if (!sentSeparately(opcode)) {
            opcodes.push_back(opcode);
        }
    }
    for (int32_t outside : {61, 100, 1 << 20, INT32_MIN, INT32_MAX}) {
        opcodes.push_back(outside);
    }
    return opcodes;
}

} // namespace

TEST_F(BadInputTest, EveryOpcodeWithNullPointersAndExtremeArgumentsIsSurvived) {
    for (int32_t opcode : everyOpcode()) {
        for (int32_t index : kIndices) {
            for (intptr_t value : kValues) {
                for (float opt : kOpts) {
                    plugin->dispatch(opcode, index, value, nullptr, opt);
                }
            }
        }
        expectHealthy("opcode " + std::to_string(opcode));
    }
    EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, nullptr), 0) << "no window to open into";
    EXPECT_TRUE(host.requestsWithOpcode(audioMasterAutomate).empty())
        << "nothing the host sent is reported back to it";
    plugin->close();
}

// Text buffers of the size hosts use: every text must end well inside them, whatever index.
TEST_F(BadInputTest, TextsForIndicesOutsideTheirRangesStayShortAndTerminated) {
    const int32_t textOpcodes[] = {effGetProgramName,  effGetParamLabel,         effGetParamDisplay,
                                   effGetParamName,    effGetProgramNameIndexed, effGetEffectName,
                                   effGetVendorString, effGetProductString,      effGetErrorText};
    for (int32_t opcode : textOpcodes) {
        for (int32_t index : kIndices) {
            for (intptr_t value : {intptr_t{0}, intptr_t{-1}, INTPTR_MAX}) {
                char text[256];
                std::memset(text, 'x', sizeof text);
                plugin->dispatch(opcode, index, value, text);
                EXPECT_TRUE(writtenWithin(text, sizeof text, 32))
                    << "opcode " << opcode << " index " << index << " value " << value;
            }
        }
    }
    expectHealthy("text queries");
}

TEST_F(BadInputTest, LongAndOddProgramNamesAndParameterTextsAreCut) {
    std::string longName(4000, 'n');
    plugin->dispatch(effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(plugin->programName(), std::string(31, 'n'));
    std::string strange = "\xff\x01\x7f tab\there";
    plugin->dispatch(effSetProgramName, 0, 0, strange.data());
    for (int32_t index : kIndices) {
        std::string typed = std::string(3000, '9');
        plugin->dispatch(effString2Parameter, index, 0, typed.data());
    }
    char chunk[64] = {};
    void* chunkOut = chunk;
    EXPECT_EQ(plugin->dispatch(effGetChunk, 0, 0, &chunkOut), 0);
    EXPECT_EQ(plugin->dispatch(effSetChunk, 1, -1, chunk), 0);
    expectHealthy("names");
}

TEST_F(BadInputTest, ParameterEntriesTakeAnyIndexAndAnyFloat) {
    const float values[] = {kNaN,     -kNaN,  kInfinity, -kInfinity, 3.4e38f,
                            -3.4e38f, 1e-45f, -1e-45f,   1.0000001f, -0.0f};
    for (int32_t index : kIndices) {
        for (float value : values) {
            plugin->setParameter(index, value);
            const float read = plugin->getParameter(index);
            EXPECT_TRUE(read >= 0.0f && read <= 1.0f) << index << " " << value;
        }
    }
    EXPECT_EQ(plugin->getParameter(8), 0.0f);
    EXPECT_EQ(plugin->getParameter(INT32_MIN), 0.0f);
    expectHealthy("parameters");
}

TEST_F(BadInputTest, EmptyNegativeAndHugeBlocks) {
    Stereo untouched(4, 0.25f);
    for (int32_t frames : {0, -1, -4096, INT32_MIN}) {
        plugin->process(untouched.channels, untouched.channels, frames);
        plugin->processReplacing(untouched.channels, untouched.channels, frames);
    }
    EXPECT_EQ(untouched.left, std::vector<float>(4, 0.25f));
    EXPECT_EQ(untouched.right, std::vector<float>(4, 0.25f));
    EXPECT_EQ(plugin->dispatch(effSetBlockSize, 0, -1), 0);
    EXPECT_EQ(plugin->dispatch(effSetBlockSizeAndSampleRate, 0, INTPTR_MAX, nullptr, 1e-45f), 1);
    plugin->dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    constexpr int32_t kHuge = 1 << 20;
    EventList events;
    events.controlChange(kHuge - 1, 71, 127);
    events.noteOn(kHuge + 10, 60, 100); // beyond the block: never reached
    plugin->dispatch(effProcessEvents, 0, 0, events.get());
    EXPECT_TRUE(play(kHuge, false).finite());
    EXPECT_TRUE(play(kHuge, true).finite());
    expectHealthy("huge blocks");
}

TEST_F(BadInputTest, SampleRateChangesBetweenBlocksKeepTheSoundFinite) {
    const float rates[] = {44100.0f,  1.0f,       1e-45f, 1e-30f, 8000.0f,   1e9f,      3.4e38f,
                           kInfinity, -kInfinity, kNaN,   0.0f,   -48000.0f, 192000.0f, 11025.0f};
    unsigned seed = 0;
    for (float rate : rates) {
        plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        EventList events;
        events.controlChange(3, 5, 127);  // the smoothness controller scales with the rate
        events.controlChange(9, 71, 127); // the top of the cutoff ladder, 7040 Hz
        plugin->dispatch(effProcessEvents, 0, 0, events.get());
        ++seed;
        EXPECT_TRUE(play(256, seed % 2 == 0, seed).finite()) << "rate " << rate;
        plugin->dispatch(effSetBlockSizeAndSampleRate, 0, 64, nullptr, rate);
        plugin->dispatch(effProcessEvents, 0, 0, events.get());
        EXPECT_TRUE(play(256, seed % 2 == 1, seed).finite()) << "rate " << rate << ", stored";
    }
}

// Below 14080 Hz the top of the cutoff ladder lies above half the rate, where the filter
// would be unstable; old telephone and sampler rates must still sound.
TEST_F(BadInputTest, LowSampleRatesWithTheCutoffAtTheTopStayStable) {
    for (float rate : {8000.0f, 11025.0f, 14000.0f}) {
        for (float resonance : {0.0f, 1.0f}) {
            plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
            plugin->setParameter(param::resonance, resonance);
            plugin->dispatch(effMainsChanged, 0, 1);
            float loudest = 0.0f;
            for (int block = 0; block < 64; ++block) {
                EventList events;
                events.controlChange(0, 71, 127);
                events.noteOn(100, 105, 100);
                plugin->dispatch(effProcessEvents, 0, 0, events.get());
                const Stereo out = play(256, block % 2 == 0, block);
                ASSERT_TRUE(out.finite()) << rate << " Hz, block " << block;
                for (float sample : out.left) {
                    loudest = std::max(loudest, std::fabs(sample));
                }
            }
            EXPECT_LT(loudest, 8.0f) << rate << " Hz, resonance " << resonance;
        }
    }
}

// After absurd rates a sensible one restores the instance: it converges on what a fresh
// instance plays.
TEST_F(BadInputTest, ASensibleRateAfterAbsurdOnesSoundsLikeAFreshInstance) {
    for (float rate : {1e-45f, 1.0f, 3.4e38f, 1e-30f}) {
        plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        play(256, false, 5);
    }
    plughost::RecordingHost freshHost;
    plughost::PluginInstance fresh(builtPlugin(), freshHost);
    for (const plughost::PluginInstance* instance : {plugin.get(), &fresh}) {
        instance->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        instance->dispatch(effMainsChanged, 0, 1);
    }
    Stereo heard(512);
    Stereo expected(512);
    for (int block = 0; block < 100; ++block) {
        Stereo input = noise(512, block);
        heard = Stereo(512);
        expected = Stereo(512);
        plugin->process(input.channels, heard.channels, 512);
        fresh.process(input.channels, expected.channels, 512);
    }
    for (int i = 0; i < 512; ++i) {
        ASSERT_NEAR(heard.left[i], expected.left[i], 1e-5f) << i;
        ASSERT_NEAR(heard.right[i], expected.right[i], 1e-5f) << i;
    }
}

// Not-a-number and infinite samples may spoil what they touch, but once the input is finite
// again the output must be finite from the second block on.
TEST_F(BadInputTest, NonFiniteSamplesLeaveNoTraceAfterTwoBlocks) {
    const float poisons[] = {kNaN, kInfinity, -kInfinity};
    for (bool replacing : {false, true}) {
        for (float poison : poisons) {
            for (int32_t where : {0, 100, 255}) {
                Stereo input = noise(256, 7);
                input.left[where] = poison;
                input.right[255 - where] = -poison;
                Stereo output(256);
                if (replacing) {
                    plugin->processReplacing(input.channels, output.channels, 256);
                } else {
                    plugin->process(input.channels, output.channels, 256);
                }
                play(256, replacing, 8);
                EXPECT_TRUE(play(256, replacing, 9).finite())
                    << poison << " at " << where << (replacing ? ", replacing" : "");
            }
        }
        Stereo allBad(256, kNaN);
        Stereo output(256);
        plugin->process(allBad.channels, output.channels, 256);
        play(256, replacing, 10);
        EXPECT_TRUE(play(256, replacing, 11).finite());
    }
    expectHealthy("non-finite samples");
}
