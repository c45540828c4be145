// What a host sees of the host interface this build links, and the habits of the hosts that load
// the plug-in, replayed through the loaded plug-in: each must sound exactly as plughost render
// does with the same calls.
#include "tests/host/test_plughost_support.h"
#include "tools/plughost/playback/midievents.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

using namespace plughost_test;

namespace {

constexpr bool kLegacyBuild = GLIDEFILTER_LEGACY_HOSTS != 0;
constexpr int kRate = 44100;
constexpr int64_t kFrames = 20000;

// Every parameter, as a host restores a session: a cutoff and resonance to glide from, a
// smoothness whose two laws differ, the default controllers moved.
constexpr std::array<float, 8> kSession = {0.0f, 0.3f,           0.8f, 0.6f,
                                           0.7f, 74.0f / 128.0f, 1.0f, 5.0f / 128.0f};

const std::vector<plughost::TimedMidiEvent> kMidi = {
    {1000, {0xB0, 74, 10}}, {3001, {0x90, 90, 100}}, {8191, {0xB0, 74, 120}},
    {8192, {0xB0, 5, 0}},   {15000, {0x91, 50, 64}}, {19999, {0xB0, 74, 64}}};

// What the output buffers hold when the host calls the process entry.
enum class Outputs { zeroed, leftovers, theInput, theInputBuffers };

// How a host drives the plug-in.
struct Habit {
    std::string host;
    bool rateBeforeOpen = false; // sample rate and block size before effOpen
    // Every parameter set after it is switched on; else before the sample rate, as plughost does.
    bool settingsAfterStart = false;
    bool replacing = true;
    Outputs outputs = Outputs::leftovers;
    bool eventListEveryBlock = false; // a list before every block, empty where no event falls
    std::vector<int32_t> blocks;      // block sizes, in turn
};

class HostReplay {
public:
    HostReplay(const Habit& habit, const Audio& input) : habit(habit), input(input) {}

    Audio run() {
        plughost::RecordingHost host;
        plughost::PluginInstance plugin(builtPlugin(), host,
                                        plughost::PluginInstance::Open::byCaller);
        start(plugin);
        plughost::EventSchedule schedule;
        schedule.add(kMidi);
        Audio output{2, kRate, input.format, {}};
        size_t turn = 0;
        for (int64_t position = 0; position < input.frames();) {
            const int32_t size = habit.blocks[turn++ % habit.blocks.size()];
            const auto frames =
                static_cast<int32_t>(std::min<int64_t>(size, input.frames() - position));
            const auto events = schedule.nextBlock(position, frames);
            if (habit.eventListEveryBlock || !events.empty()) {
                plugin.dispatch(effProcessEvents, 0, 0, eventBlock.fill(events, position));
            }
            processBlock(plugin, position, frames);
            for (int32_t i = 0; i < frames; ++i) {
                output.samples.push_back(outputs[0][i]);
                output.samples.push_back(outputs[1][i]);
            }
            position += frames;
        }
        plugin.dispatch(effMainsChanged, 0, 0);
        return output;
    }

private:
    void start(const plughost::PluginInstance& plugin) {
        const int32_t largest = *std::max_element(habit.blocks.begin(), habit.blocks.end());
        const auto setRate = [&] {
            plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
            plugin.dispatch(effSetBlockSize, 0, largest);
        };
        const auto restoreSession = [&] {
            for (int32_t index = 0; index < 8; ++index) {
                plugin.setParameter(index, kSession[index]);
            }
        };
        if (!habit.rateBeforeOpen) {
            plugin.dispatch(effOpen);
        }
        if (!habit.settingsAfterStart) {
            restoreSession();
        }
        setRate();
        if (habit.rateBeforeOpen) {
            plugin.dispatch(effOpen);
        }
        plugin.dispatch(effMainsChanged, 0, 1);
        if (habit.settingsAfterStart) {
            restoreSession();
        }
        for (auto& channel : inputs) {
            channel.resize(static_cast<size_t>(largest));
        }
        for (auto& channel : outputs) {
            channel.resize(static_cast<size_t>(largest));
        }
    }

    void processBlock(const plughost::PluginInstance& plugin, int64_t position, int32_t frames) {
        for (int c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                inputs[c][i] = input.at(position + i, c);
                outputs[c][i] = initialOutput(inputs[c][i], i);
            }
        }
        std::array<float*, 2> in{inputs[0].data(), inputs[1].data()};
        std::array<float*, 2> out{outputs[0].data(), outputs[1].data()};
        if (habit.outputs == Outputs::theInputBuffers) {
            out = in;
        }
        if (habit.replacing) {
            plugin.processReplacing(in.data(), out.data(), frames);
        } else {
            plugin.process(in.data(), out.data(), frames);
        }
        if (habit.outputs == Outputs::theInputBuffers) {
            std::swap(inputs, outputs);
        }
    }

    float initialOutput(float inputSample, int32_t i) const {
        switch (habit.outputs) {
        case Outputs::zeroed:
            return 0.0f;
        case Outputs::theInput:
            return inputSample;
        default:
            return static_cast<float>(i % 7) - 3.0f;
        }
    }

    const Habit& habit;
    const Audio& input;
    std::array<std::vector<float>, 2> inputs, outputs;
    plughost::VstEventBlock eventBlock;
};

std::vector<std::string> renderArguments(const Habit& habit) {
    std::vector<std::string> arguments;
    if (habit.replacing) {
        arguments.push_back("--replacing");
    }
    if (habit.settingsAfterStart) {
        arguments.push_back("--params-after-start");
    }
    for (int32_t index = 0; index < 8; ++index) {
        arguments.push_back("--param");
        char value[32];
        std::snprintf(value, sizeof value, "%d=%.9g", index, static_cast<double>(kSession[index]));
        arguments.push_back(value);
    }
    for (const plughost::TimedMidiEvent& event : kMidi) {
        const std::string at = "@" + std::to_string(event.frame);
        if ((event.data[0] & 0xF0) == 0xB0) {
            arguments.push_back("--cc");
            arguments.push_back(std::to_string(event.data[1]) + ":" +
                                std::to_string(event.data[2]) + at);
        } else {
            arguments.push_back("--note");
            arguments.push_back(std::to_string(event.data[1]) + at);
        }
    }
    return arguments;
}

using HostHabits = PlughostTest;

} // namespace

TEST_F(PluginTest, TheHostIsToldWhatThisBuildOffers) {
    EXPECT_EQ(plugin->record()->flags, kLegacyBuild ? 9 : 25);
    const intptr_t midi = kLegacyBuild ? 0 : 1;
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), midi);
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), midi);
    EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, nullptr), 0);
}

// Audacity asks with the parameter's index in `value`: every parameter can be automated anyway.
TEST_F(PluginTest, EveryParameterCanBeAutomatedHoweverTheHostAsks) {
    for (int32_t index = 0; index < 8; ++index) {
        EXPECT_EQ(plugin->dispatch(effCanBeAutomated, index), 1);
        EXPECT_EQ(plugin->dispatch(effCanBeAutomated, 0, index), 1);
    }
}

TEST_F(HostHabits, EachHostsCallsSoundAsPlughostRendersThem) {
    const std::vector<Habit> habits = {
        {.host = "Ardour",
         .settingsAfterStart = true,
         .outputs = Outputs::zeroed,
         .eventListEveryBlock = true,
         .blocks = {1024}},
        {.host = "Audacity", .rateBeforeOpen = true, .settingsAfterStart = true, .blocks = {8192}},
        {.host = "Qtractor and MusE", .eventListEveryBlock = true, .blocks = {512}},
        {.host = "in place", .outputs = Outputs::theInputBuffers, .blocks = {256}},
        {.host = "changing block sizes", .blocks = {1, 700, 64, 4096, 333}},
        {.host = "accumulating", .replacing = false, .outputs = Outputs::zeroed, .blocks = {512}},
    };
    const Audio input = noise(2, kRate, kFrames);
    writeAudio(file("in.wav"), input);
    for (const Habit& habit : habits) {
        std::vector<std::string> arguments = {"render", builtPluginPath(), file("in.wav"),
                                              file("out.wav")};
        const std::vector<std::string> options = renderArguments(habit);
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Outcome run = plughost(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const Audio rendered = readAudio(file("out.wav"));
        const Audio replayed = HostReplay(habit, input).run();
        EXPECT_TRUE(rendered.samples == replayed.samples) << habit.host;
    }
}

// In place, the accumulating entry adds to its own input, as it adds to any output buffer.
TEST(InPlace, TheAccumulatingEntryAddsToItsOwnInput) {
    const Audio input = noise(2, kRate, kFrames);
    Habit shared{.host = "in place",
                 .replacing = false,
                 .outputs = Outputs::theInputBuffers,
                 .blocks = {300, 1024}};
    Habit holdingInput = shared;
    holdingInput.outputs = Outputs::theInput;
    Habit zeroed = shared;
    zeroed.outputs = Outputs::zeroed;
    const Audio replayed = HostReplay(shared, input).run();
    EXPECT_TRUE(replayed.samples == HostReplay(holdingInput, input).run().samples);
    EXPECT_FALSE(replayed.samples == HostReplay(zeroed, input).run().samples);
}
