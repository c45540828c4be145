// The LV2 plug-in driven through its descriptor as a host drives it: it sounds as the VST 2
// build does, learns a controller within the event that brings it and reports it on notify, and
// reads hostile control sequences without reading past them.
#include "tests/unit/event_list.h"
#include "tests/unit/learn_orders.h"
#include "tests/unit/lv2_host.h"
#include "tests/unit/reference_filter.h"

#include <lv2/patch/patch.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNotifyCapacity = 4096;

struct Midi {
    int32_t frame;
    uint8_t status, data1, data2;
};

// Input whose level and spectrum make every parameter audible.
std::vector<float> testSignal(int32_t frames, int32_t seed) {
    std::vector<float> signal(static_cast<std::size_t>(frames));
    for (int32_t i = 0; i < frames; ++i) {
        signal[i] = 0.8f * std::sin(0.05f * static_cast<float>(i + seed)) +
                    0.3f * static_cast<float>((i * 7919 + seed) % 101 - 50) / 50.0f;
    }
    return signal;
}

// The VST 2 build in a host that switches it on and then sets all eight parameters (as Ardour
// does), beside the LV2 build in a host with a URID map; both get the same blocks.
class Lv2TwinTest : public ::testing::Test {
protected:
    void SetUp() override { openSession(); }

    // Both loaded afresh, the LV2 build's ports holding what they held (a session reopened).
    void openSession() {
        float ports[kNumParams];
        for (int32_t index = 0; index < kNumParams; ++index) {
            ports[index] = lv2Instance ? lv2().parameter(index) : portDefault(index);
        }
        twin = std::make_unique<FilterEffect>(quietHost);
        lv2Instance = std::make_unique<Lv2Instance>();
        fx().setSampleRate(44100.0f);
        fx().resume();
        for (int32_t index = 0; index < kNumParams; ++index) {
            fx().setParameter(index, fx().getParameter(index));
            setBoth(index, ports[index]);
        }
        lv2().connect(kLv2Control, control.data());
        lv2().connect(kLv2Notify, notify.sequence());
    }

    // The host switches the LV2 build off and on; the twin starts at the ports as it does.
    void reactivate() {
        lv2().activate();
        float values[kNumParams];
        for (int32_t index = 0; index < kNumParams; ++index) {
            values[index] = parameterValueOfPort(index, lv2().parameter(index));
        }
        ReferenceFilter::restartAt(fx(), values);
    }

    // One block through both, the LV2 build in place; every output sample must have the same
    // bits. The VST 2 build's accumulating entry adds to cleared outputs, which is what its
    // replacing entry writes in the default build (and what LV2's run writes in every build).
    void runBoth(int32_t frames, const std::vector<Midi>& midi, const AtomSequence& extra = {}) {
        EventList events;
        AtomSequence sequence = extra;
        sequence.header(TestUridMap::kSequence, sequenceUnit);
        for (const Midi& m : midi) {
            events.midi(m.frame, m.status, m.data1, m.data2);
            sequence.midi(m.frame, {m.status, m.data1, m.data2});
        }
        ASSERT_LE(sequence.data().size(), control.size() * sizeof(uint64_t));
        std::fill(control.begin(), control.end(), staleControlBytes);
        std::memcpy(control.data(), sequence.data().data(), sequence.data().size());
        notify.reset(kNotifyCapacity);

        std::vector<float> lv2Left = testSignal(frames, block);
        std::vector<float> lv2Right = testSignal(frames, -block);
        std::vector<float> vstLeft(lv2Left.size()), vstRight(lv2Right.size());
        std::array<float*, 2> vstIn{lv2Left.data(), lv2Right.data()};
        std::array<float*, 2> vstOut{vstLeft.data(), vstRight.data()};
        std::array<float*, 2> lv2Io{lv2Left.data(), lv2Right.data()};
        fx().processEvents(events.get());
        fx().process(vstIn.data(), vstOut.data(), frames);
        lv2().connectAudio(lv2Io.data(), lv2Io.data());
        lv2().run(static_cast<uint32_t>(frames));
        for (int32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(std::bit_cast<uint32_t>(vstLeft[i]), std::bit_cast<uint32_t>(lv2Left[i]))
                << "block " << block << " frame " << i;
            ASSERT_EQ(std::bit_cast<uint32_t>(vstRight[i]), std::bit_cast<uint32_t>(lv2Right[i]))
                << "block " << block << " frame " << i;
        }
        ++block;
    }

    // A parameter changed in both: the LV2 port in its units, the VST 2 value it maps to.
    void setBoth(int32_t index, float portValue) {
        lv2().parameter(index) = portValue;
        fx().setParameter(index, parameterValueOfPort(index, portValue));
    }

    FilterEffect& fx() { return *twin; }
    Lv2Instance& lv2() { return *lv2Instance; }

    std::unique_ptr<FilterEffect> twin;
    std::unique_ptr<Lv2Instance> lv2Instance;
    std::vector<uint64_t> control = std::vector<uint64_t>(1024);
    // What the host leaves in the sequence's unit field and in its buffer past the events.
    LV2_URID sequenceUnit = TestUridMap::kFrameTime;
    uint64_t staleControlBytes = 0;
    NotifyBuffer notify{kNotifyCapacity};
    int32_t block = 0;
};

TEST_F(Lv2TwinTest, PortsAndMidiSoundAsTheVst2Build) {
    runBoth(300, {});
    runBoth(256, {{0, 0xB0, 71, 100}, {17, 0x90, 60, 90}, {200, 0xB1, 5, 40}});
    setBoth(kFrequency, 80.0f);
    setBoth(kGain, -3.5f);
    setBoth(kFilterType, 1.0f);
    runBoth(512, {{100, 0xB0, 71, 3}});
    setBoth(kSmoothness, 55.0f);
    setBoth(kCcCutoff, 20.0f);
    setBoth(kResonance, 70.0f);
    runBoth(400, {{5, 0xB0, 20, 127}, {6, 0x90, 100, 1}, {350, 0xB0, 71, 0}});
    runBoth(1, {});
    runBoth(0, {{0, 0xB0, 20, 64}});
    runBoth(128, {});
}

// What LV2 hosts were seen to hand the plug-in, each as a row: MIDI acts at its frame and the
// sound equals the VST 2 build's in every one.
struct HostHabit {
    const char* name;
    LV2_URID unit;
    uint64_t staleBytes;
    // Before every block: an object on `control` ahead of the MIDI, and the control ports
    // connected anew to the host's copies of the same values.
    const char* objectType;
    bool reconnectsPorts;
};

const HostHabit kHostHabits[] = {
    {"a host that fills the unit with frames", TestUridMap::kFrameTime, 0, nullptr, false},
    {"a host that leaves the unit 0", 0, 0, nullptr, false},
    {"Qtractor: the unit as its buffer held it", 22093, 0, nullptr, false},
    {"Ardour: the unit and the bytes past the events as an uncleared buffer held them", 22075,
     0xA5A5A5A5A5A5A5A5U, nullptr, false},
    {"jalv: patch:Get on control", TestUridMap::kFrameTime, 0, LV2_PATCH__Get, false},
    {"a host that hands over every control port afresh every cycle", TestUridMap::kFrameTime, 0,
     nullptr, true},
};

TEST_F(Lv2TwinTest, HostHabitsSoundAsTheVst2Build) {
    std::array<std::array<float, kNumParams>, 2> hostCopies{};
    for (const HostHabit& habit : kHostHabits) {
        SCOPED_TRACE(habit.name);
        fx().setParameter(kCcCutoff, controllerValue(71));
        lv2().parameter(kCcCutoff) = 71.0f;
        sequenceUnit = habit.unit;
        staleControlBytes = habit.staleBytes;
        AtomSequence extra;
        if (habit.objectType != nullptr) {
            const LV2_URID type = lv2().urid(habit.objectType);
            extra.object(0, type, TestUridMap::kParameter, TestUridMap::kInt, 0);
        }
        for (const std::vector<Midi>& midi : std::vector<std::vector<Midi>>{
                 {{37, 0xB0, 71, 12}}, {{0, 0x90, 64, 100}, {511, 0xB0, 71, 127}}, {}}) {
            std::array<float, kNumParams>& copy = hostCopies[block % 2];
            for (int32_t index = 0; index < kNumParams && habit.reconnectsPorts; ++index) {
                copy[index] = lv2().parameter(index);
                lv2().connect(kLv2FirstParameter + index, &copy[index]);
            }
            runBoth(512, midi, extra);
        }
    }
}

// Ardour and Qtractor deactivate and activate the plug-in around transport stops and bypass and
// then hand over every port again: from there it plays the ports, as a freshly loaded plug-in
// does, whatever MIDI and port changes came before. Only the filter's history and the
// coefficients in use until the first step (which a start keeps, as a program load does) carry
// over, and they die away: from the fourth block of 512 frames on the two are within -100 dB.
TEST(Lv2Run, ReactivatedItSoundsAsFreshlyLoaded) {
    // The test signal into buffers the instances keep.
    const auto refill = [](std::vector<float>& buffer, int32_t seed) {
        const std::vector<float> signal = testSignal(static_cast<int32_t>(buffer.size()), seed);
        std::copy(signal.begin(), signal.end(), buffer.begin());
    };
    std::vector<float> left(512), right(512), freshLeft(512), freshRight(512);
    std::array<float*, 2> io{left.data(), right.data()};
    std::array<float*, 2> freshIo{freshLeft.data(), freshRight.data()};
    Lv2Instance used;
    used.connectAudio(io.data(), io.data());
    AtomSequence midi;
    midi.midi(3, {0xB0, 71, 20});
    midi.midi(100, {0x90, 48, 100});
    std::vector<uint8_t> control = midi.data();
    used.connect(kLv2Control, control.data());
    refill(left, 1);
    refill(right, 2);
    used.run(512);
    AtomSequence none;
    control = none.data();
    used.connect(kLv2Control, control.data());
    used.parameter(kFrequency) = 70.0f;
    used.parameter(kResonance) = 40.0f;
    used.run(512);
    used.activate();

    Lv2Instance fresh;
    fresh.parameter(kFrequency) = 70.0f;
    fresh.parameter(kResonance) = 40.0f;
    fresh.connectAudio(freshIo.data(), freshIo.data());
    for (int32_t block = 0; block < 6; ++block) {
        refill(left, 3 + block);
        refill(freshLeft, 3 + block);
        refill(right, 4 + block);
        refill(freshRight, 4 + block);
        used.run(512);
        fresh.run(512);
        for (size_t i = 0; i < left.size() && block >= 3; ++i) {
            ASSERT_NEAR(left[i], freshLeft[i], 1e-5f) << "block " << block << " frame " << i;
            ASSERT_NEAR(right[i], freshRight[i], 1e-5f) << "block " << block << " frame " << i;
        }
    }
}

// Learning never leaves the plug-in playing an assignment its port does not hold, in any order
// of the editor's learn switch (armed, switched off), the editor closing (which takes learning
// back) and opening, controllers, the host switching the plug-in off and on, and the session
// saved and reopened. The editor, while open, writes what is reported to the port; the VST 2
// twin plays the ports, and every block must sound as it does.
TEST_F(Lv2TwinTest, LearningNeverPlaysWhatThePortDoesNotHold) {
    for (const LearnOrder& order : kLearnOrders) {
        SCOPED_TRACE(order.steps);
        setBoth(kCcRezo, kControllerOff);
        openSession();
        bool open = true;
        bool learning = false;
        std::vector<LearnReport> reports;
        const auto sendLearn = [&](int32_t parameter) {
            AtomSequence message;
            message.learn(0, parameter);
            runBoth(64, {}, message);
            learning = parameter != kLearnNone;
        };
        std::istringstream steps(order.steps);
        for (std::string step; steps >> step;) {
            if (step == "arm" && open) {
                sendLearn(kCcRezo);
            } else if ((step == "off" || step == "close") && learning) {
                sendLearn(kLearnNone);
            } else if (step == "reactivate") {
                reactivate();
            } else if (step == "save") {
                openSession();
                learning = false;
            } else if (step == "cc") {
                runBoth(256, {{10, 0xB0, kLearnOrderController, 100},
                              {90, 0xB0, kLearnOrderController, 30}});
                for (const LearnReport& report : notify.reports()) {
                    reports.push_back(report);
                    if (open) {
                        setBoth(report.parameter, static_cast<float>(report.controller));
                        learning = false;
                    }
                }
            }
            open = step == "close" ? false : step == "open" || open;
        }
        runBoth(256, {{5, 0xB0, kLearnOrderController, 64}});
        EXPECT_EQ(lv2().parameter(kCcRezo), order.learned ? kLearnOrderController : kControllerOff);
        const std::vector<LearnReport> learned{{10, kCcRezo, kLearnOrderController}};
        EXPECT_EQ(reports, order.learned ? learned : std::vector<LearnReport>{});
    }
}

// One hostile control sequence for a block of 64 frames, with the host's sequence size in its
// options set to exactly the bytes handed over.
struct HostileCase {
    const char* name;
    void (*build)(AtomSequence&);
    std::vector<LearnReport> reports;
    uint32_t notifyCapacity = kNotifyCapacity;
};

void learnAndController(AtomSequence& s, int32_t parameter, int64_t frame, uint8_t controller) {
    s.learn(0, parameter);
    s.midi(frame, {0xB0, controller, 64});
}

// Learning armed at position 0, then notes, then a controller at `position`.
void controllerAtPosition(AtomSequence& s, int32_t position) {
    s.learn(0, kCcCutoff);
    for (int32_t i = 1; i < position; ++i) {
        s.midi(1, {0x90, 60, 100});
    }
    s.midi(2, {0xB0, 42, 1});
}

const HostileCase kHostileCases[] = {
    {"a learn message and a controller",
     [](AtomSequence& s) { learnAndController(s, kCcCutoff, 3, 20); },
     {{3, kCcCutoff, 20}}},
    {"the controller before the learn message",
     [](AtomSequence& s) {
         s.midi(1, {0xB0, 20, 64});
         s.learn(2, kCcCutoff);
     },
     {}},
    {"times past the block and out of order",
     [](AtomSequence& s) {
         s.learn(5000, kCcRezo);
         s.midi(-7, {0xB0, 21, 1});
     },
     {{63, kCcRezo, 21}}},
    {"MIDI of no and of four bytes is skipped; one byte has zero data bytes",
     [](AtomSequence& s) {
         s.learn(0, kCcSmooth);
         s.midi(2, {});
         s.midi(2, {0xB0, 30, 1, 2});
         s.midi(4, {0xB0});
     },
     {{4, kCcSmooth, 0}}},
    {"objects that are not the learn message",
     [](AtomSequence& s) {
         s.object(0, TestUridMap::kLearned, TestUridMap::kParameter, TestUridMap::kInt, kCcCutoff);
         s.object(0, TestUridMap::kLearn, TestUridMap::kController, TestUridMap::kInt, kCcCutoff);
         s.object(0, TestUridMap::kLearn, TestUridMap::kParameter, TestUridMap::kLong, kCcCutoff);
         s.learn(0, kGain);
         s.learn(0, kCcSmooth + 1);
         s.midi(1, {0xB0, 20, 64});
     },
     {}},
    {"an event longer than the sequence ends the reading",
     [](AtomSequence& s) {
         s.learn(0, kCcCutoff);
         s.event(1, TestUridMap::kMidiEvent, {0xB0, 20, 1}, 1000);
         s.midi(2, {0xB0, 21, 1});
     },
     {}},
    {"a sequence claiming more than the host's buffer",
     [](AtomSequence& s) {
         learnAndController(s, kCcCutoff, 1, 22);
         s.claimSize(1u << 30);
     },
     {{1, kCcCutoff, 22}}},
    {"the buffer ends inside an event",
     [](AtomSequence& s) {
         learnAndController(s, kCcCutoff, 1, 23);
         s.truncate(s.data().size() - 6);
     },
     {}},
    {"the buffer ends inside the header", [](AtomSequence& s) { s.truncate(12); }, {}},
    {"times in beats",
     [](AtomSequence& s) {
         s.header(TestUridMap::kSequence, TestUridMap::kBeatTime);
         learnAndController(s, kCcCutoff, 1, 24);
     },
     {}},
    {"an atom that is no sequence",
     [](AtomSequence& s) {
         s.header(TestUridMap::kObject, TestUridMap::kFrameTime);
         learnAndController(s, kCcCutoff, 1, 25);
     },
     {}},
    {"a controller at the last position read",
     [](AtomSequence& s) { controllerAtPosition(s, FilterCore::kEventsReadPerBlock - 1); },
     {{2, kCcCutoff, 42}}},
    {"a controller past the last position read",
     [](AtomSequence& s) { controllerAtPosition(s, FilterCore::kEventsReadPerBlock); },
     {}},
    {"notify with room for an empty sequence only",
     [](AtomSequence& s) { learnAndController(s, kCcCutoff, 1, 26); },
     {},
     sizeof(LV2_Atom_Sequence)},
    {"notify with no room for a sequence",
     [](AtomSequence& s) { learnAndController(s, kCcCutoff, 1, 27); },
     {},
     sizeof(LV2_Atom)},
};

TEST(Lv2Run, HostileControlSequencesAreReadWithinTheirBytes) {
    for (const HostileCase& c : kHostileCases) {
        AtomSequence sequence;
        c.build(sequence);
        // Exactly the bytes built: reading past them is a read past the host's buffer.
        const std::vector<uint8_t> control = sequence.data();
        Lv2Instance lv2({.sequenceSize = static_cast<int32_t>(control.size())});
        ASSERT_TRUE(lv2.valid());
        NotifyBuffer notify(c.notifyCapacity);
        std::vector<float> left(64, 0.5f), right(64, -0.5f);
        std::array<float*, 2> io{left.data(), right.data()};
        lv2.connectAudio(io.data(), io.data());
        lv2.connect(kLv2Control, const_cast<uint8_t*>(control.data()));
        lv2.connect(kLv2Notify, notify.sequence());
        lv2.run(64);
        EXPECT_EQ(notify.reports(), c.reports) << c.name;
        const LV2_Atom& written = notify.sequence()->atom;
        const bool sequenceFits = c.notifyCapacity >= sizeof(LV2_Atom_Sequence);
        EXPECT_EQ(written.type, sequenceFits ? TestUridMap::kSequence : 0u) << c.name;
        EXPECT_LE(sizeof(LV2_Atom) + written.size, std::max<uint32_t>(c.notifyCapacity, 8))
            << c.name;
    }
}

// Without the URID map, or with ports left unconnected, the plug-in runs; without all four
// audio ports it writes silence to the outputs it has.
TEST(Lv2Run, MissingMapAndUnconnectedPortsAreHarmless) {
    Lv2Instance withoutMap({.withMap = false});
    std::vector<float> left(32, 0.5f), right(32, 0.5f);
    std::array<float*, 2> io{left.data(), right.data()};
    withoutMap.connectAudio(io.data(), io.data());
    NotifyBuffer notify(kNotifyCapacity);
    AtomSequence sequence;
    learnAndController(sequence, kCcCutoff, 1, 20);
    withoutMap.connect(kLv2Control, const_cast<uint8_t*>(sequence.data().data()));
    withoutMap.connect(kLv2Notify, notify.sequence());
    withoutMap.run(32);
    EXPECT_NE(left[31], 0.0f) << "it filters";
    EXPECT_EQ(notify.sequence()->atom.size, kNotifyCapacity) << "notify is left alone";

    Lv2Instance halfConnected;
    halfConnected.connect(kLv2OutLeft, left.data());
    halfConnected.run(32);
    EXPECT_EQ(std::count(left.begin(), left.end(), 0.0f), 32);
}

TEST(Lv2Run, RatesTheCoreRefusesAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (double rate : {0.0, -44100.0, nan, infinity, 1e300, 1e-300}) {
        EXPECT_FALSE(Lv2Instance({.sampleRate = rate}).valid()) << rate;
    }
    EXPECT_TRUE(Lv2Instance({.sampleRate = 8000.0}).valid());
}

} // namespace
