// The real-time entries allocate nothing: every operator new made while they run is counted.
#include "tests/unit/event_list.h"
#include "tests/unit/lv2_host.h"
#include "tests/unit/reference_filter.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
} // namespace

namespace {
void* countedAllocation(std::size_t size) {
    if (counting.load()) {
        ++allocations;
    }
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

// Kept out of line: inlined into a new expression, the free below would look mismatched.
__attribute__((noinline)) void* operator new(std::size_t size) {
    if (void* memory = countedAllocation(size)) {
        return memory;
    }
    throw std::bad_alloc();
}

__attribute__((noinline)) void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}

__attribute__((noinline)) void operator delete(void* memory) noexcept {
    std::free(memory);
}

__attribute__((noinline)) void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

class Counted {
public:
    Counted() {
        allocations = 0;
        counting = true;
    }
    ~Counted() { counting = false; }
    int count() const { return allocations.load(); }
};

TEST(Allocations, CounterSeesAnAllocation) {
    static int* volatile kept;
    Counted counted;
    kept = new int(1);
    delete kept;
    EXPECT_EQ(counted.count(), 1);
}

TEST(Allocations, ProcessingAndEventsAllocateNothing) {
    FilterEffect fx{quietHost};
    fx.setParameter(kSmoothness, 0.0f);
    fx.armLearning();
    EventList events;
    for (int i = 0; i < 1500; ++i) {
        events.controlChange(i % 512, i % 3 == 0 ? 71 : 5, i % 128);
        events.noteOn(i % 512, 40 + i % 70, 90);
    }
    VstEvents* list = events.get();
    std::vector<float> left(512, 0.75f), right(512, -3.0f);
    std::array<float*, 2> io{left.data(), right.data()};

    Counted counted;
    for (int block = 0; block < 8; ++block) {
        fx.processEvents(list);
        fx.process(io.data(), io.data(), 512);
        fx.processEvents(nullptr);
        fx.processReplacing(io.data(), io.data(), 512);
    }
    EXPECT_EQ(counted.count(), 0);
}

// The core as any format drives it, with each output mode.
TEST(Allocations, TheCoresEventsAndEveryOutputModeAllocateNothing) {
    FilterCore core;
    core.learnController(kCcCutoff);
    std::vector<float> left(512, 0.75f), right(512, -3.0f);
    std::array<float*, 2> io{left.data(), right.data()};

    Counted counted;
    for (int block = 0; block < 4; ++block) {
        core.beginEvents();
        for (int i = 0; i < 1500; ++i) {
            core.addMidiEvent(i % 512, 0xB0, static_cast<uint8_t>(i % 128), 64);
            core.addMidiEvent(i % 512, 0x90, static_cast<uint8_t>(40 + i % 70), 90);
        }
        core.process<OutputMode::add>(io.data(), io.data(), 512, 0.4);
        core.process<OutputMode::replace>(io.data(), io.data(), 512, 0.2);
        core.process<OutputMode::addToSilence>(io.data(), io.data(), 512, 0.4);
    }
    EXPECT_EQ(counted.count(), 0);
}

// The LV2 plug-in's run, with MIDI, a learn message and its report, and ports that change, also
// on the first block after switching on.
TEST(Allocations, Lv2RunAllocatesNothing) {
    Lv2Instance lv2;
    AtomSequence sequence;
    sequence.learn(0, kCcRezo);
    for (int i = 0; i < 1500; ++i) {
        sequence.midi(i / 3, {0xB0, static_cast<uint8_t>(i % 3 == 0 ? 71 : 5), 64});
        sequence.midi(i / 3, {0x90, static_cast<uint8_t>(40 + i % 70), 90});
    }
    NotifyBuffer notify(4096);
    std::vector<float> left(512, 0.75f), right(512, -3.0f);
    std::array<float*, 2> io{left.data(), right.data()};
    lv2.connectAudio(io.data(), io.data());
    lv2.connect(kLv2Control, const_cast<uint8_t*>(sequence.data().data()));
    lv2.connect(kLv2Notify, notify.sequence());

    Counted counted;
    for (int block = 0; block < 8; ++block) {
        if (block == 4) {
            lv2.activate();
        }
        notify.reset(4096);
        lv2.parameter(kFrequency) = static_cast<float>(block * 10);
        lv2.parameter(kSmoothness) = static_cast<float>(block * 7);
        lv2.parameter(kCcCutoff) = static_cast<float>(block);
        lv2.run(512);
    }
    EXPECT_EQ(counted.count(), 0);
    EXPECT_EQ(notify.reports().size(), 1u) << "the learn message was read";
}

} // namespace
