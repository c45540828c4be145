// MIDI as a host delivers it: notes and controllers move the filter to the rows that the
// parameters reach directly. Two instances that end their glide on the same row, with silent
// (zero) history, render a signal bit for bit alike; any other row renders it differently.
#include "tests/host/plugin_fixture.h"
#include "tests/unit/event_list.h"

#include <array>
#include <functional>
#include <vector>

namespace {

using Arrange = std::function<void(plughost::PluginInstance&, EventList&)>;

// The Frequency value whose row is `row` (0..4095).
float frequencyForRow(int row) {
    return (static_cast<float>(row) + 0.5f) / 4095.0f;
}

class MidiTest : public ::testing::Test {
protected:
    // Glides at one row per sample over silence, then renders a fixed noise.
    std::vector<float> render(const Arrange& arrange,
                              const std::function<void(VstEvents*)>& tamper = {}) {
        plughost::PluginInstance plugin(builtPlugin(), host);
        plugin.dispatch(effMainsChanged, 0, 1);
        plugin.setParameter(param::smoothness, 0.0f);
        EventList events;
        arrange(plugin, events);
        VstEvents* list = events.get();
        if (tamper) {
            tamper(list);
        }
        EXPECT_EQ(plugin.dispatch(effProcessEvents, 0, 0, list), 1);
        constexpr int32_t kGlide = 5000, kSignal = 256;
        std::vector<float> left(kGlide), right(kGlide);
        std::array<float*, 2> io{left.data(), right.data()};
        plugin.process(io.data(), io.data(), kGlide);
        uint32_t seed = 12345;
        for (int32_t i = 0; i < kSignal; ++i) {
            seed = seed * 1664525u + 1013904223u;
            left[i] = right[i] = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
        }
        plugin.process(io.data(), io.data(), kSignal);
        return {left.begin(), left.begin() + kSignal};
    }

    std::vector<float> withFrequency(float value) {
        return render(
            [value](auto& plugin, auto&) { plugin.setParameter(param::frequency, value); });
    }

    plughost::RecordingHost host;
};

TEST_F(MidiTest, NotesMoveTheCutoffEightyRowsPerKeyOnEveryChannel) {
    const auto row1920 = withFrequency(frequencyForRow(1920));
    EXPECT_EQ(render([](auto&, EventList& e) { e.noteOn(0, 69, 100); }), row1920);
    EXPECT_EQ(render([](auto&, EventList& e) { e.noteOn(0, 69, 1, 9); }), row1920);
    EXPECT_NE(render([](auto&, EventList& e) { e.noteOn(0, 70, 100); }), row1920);
    EXPECT_EQ(render([](auto&, EventList& e) { e.noteOn(0, 30, 100); }), withFrequency(0.0f));
}

TEST_F(MidiTest, TopNotesAndTheTopControllerValueReachTheLastRow) {
    const auto top = render([](auto&, EventList& e) { e.controlChange(0, 71, 127); });
    EXPECT_EQ(render([](auto&, EventList& e) { e.noteOn(0, 105, 100); }), top);
    EXPECT_EQ(render([](auto&, EventList& e) { e.noteOn(0, 110, 100); }), top);
    EXPECT_NE(withFrequency(1.0f), top) << "the parameter stops at row 4095";
    EXPECT_EQ(render([](auto&, EventList& e) { e.controlChange(0, 71, 64, 3); }),
              withFrequency(frequencyForRow(2418)));
}

TEST_F(MidiTest, ReleasesAndOtherMessagesLeaveTheCutoffWhereItIs) {
    const auto untouched = render([](auto&, EventList&) {});
    EXPECT_EQ(render([](auto&, EventList& e) {
                  e.noteOn(0, 90, 0);
                  e.midi(1, 0x80, 90, 64);
                  e.midi(2, 0xE0, 90, 64);
                  e.otherType(6, 3, 0x90, 90, 64);
                  e.controlChange(4, 72, 127);
              }),
              untouched);
}

TEST_F(MidiTest, AssignedResonanceControllerValueZeroIsTheLowestStep) {
    const auto lowest =
        render([](auto& plugin, auto&) { plugin.setParameter(param::resonance, 0.0f); });
    EXPECT_EQ(render([](auto& plugin, EventList& e) {
                  plugin.setParameter(param::ccRezo, 20.0f / 128.0f);
                  e.controlChange(0, 20, 0);
              }),
              lowest);
    EXPECT_NE(render([](auto&, EventList& e) { e.controlChange(0, 20, 0); }), lowest)
        << "the resonance controller is off by default";
}

TEST_F(MidiTest, LastOfTwoEntriesAtOneOffsetStands) {
    const auto top = render([](auto&, EventList& e) { e.controlChange(0, 71, 127); });
    EXPECT_EQ(render([](auto&, EventList& e) {
                  e.controlChange(0, 71, 0);
                  e.controlChange(0, 71, 127);
              }),
              top);
    EXPECT_NE(render([](auto&, EventList& e) {
                  e.controlChange(0, 71, 127);
                  e.controlChange(0, 71, 0);
              }),
              top);
}

TEST_F(MidiTest, MalformedListsAreReadOnlyAsFarAsTheyAreValid) {
    const auto untouched = render([](auto&, EventList&) {});
    plughost::PluginInstance plugin(builtPlugin(), host);
    EXPECT_EQ(plugin.dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EXPECT_EQ(render([](auto&, EventList& e) { e.controlChange(0, 71, 127); },
                     [](VstEvents* list) { list->numEvents = -1; }),
              untouched);
    const auto top = render([](auto&, EventList& e) { e.controlChange(0, 71, 127); });
    EXPECT_EQ(render([](auto&, EventList& e) {
                  e.nullEntry();
                  e.controlChange(0, 71, 127);
                  e.nullEntry();
              }),
              top);
}

TEST_F(MidiTest, EventsFromListPosition1022OnAreIgnored) {
    EXPECT_EQ(render([](auto&, EventList& e) {
                  for (int i = 0; i < 1500; ++i) {
                      e.controlChange(0, 71, i < 1022 ? 0 : 127);
                  }
              }),
              withFrequency(0.0f));
}

} // namespace
