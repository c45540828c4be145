// The audio loop while a host thread switches programs, changes the rate or switches the effect on
// as fast as it can: what they ask arrives at any moment, and every block must stay inside the
// host's buffers. Guard zones catch a write outside them in any build; AddressSanitizer and
// ThreadSanitizer also catch reads, and ThreadSanitizer a race.
#include "effect/AGain.h"
#include "event_list.h"
#include "reference_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kFrames = 97;
constexpr size_t kGuard = 32;
constexpr float kGuardValue = 12345.0f;

// A host thread makes `changes` calls of `change` while the loop runs blocks with events, until
// both have done their share however the scheduler shares the cores; every block must stay
// inside the host's buffers.
void runAgainstHostThread(FilterEffect& fx, int32_t changes,
                          const std::function<void(int32_t)>& change) {
    std::atomic<bool> stop{false};
    std::atomic<int32_t> made{0};
    std::thread host([&] {
        for (int32_t i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            change(i);
            made.store(i + 1, std::memory_order_relaxed);
        }
    });
    std::vector<float> channels[2];
    for (auto& channel : channels) {
        channel.assign(kGuard + kFrames + kGuard, kGuardValue);
    }
    float* io[] = {channels[0].data() + kGuard, channels[1].data() + kGuard};
    EventList events;
    events.controlChange(3, 71, 90);
    events.noteOn(50, 60, 100);
    events.controlChange(96, 5, 20);
    for (int block = 0; block < 20000 || made.load(std::memory_order_relaxed) < changes; ++block) {
        for (auto* channel : io) {
            std::fill(channel, channel + kFrames, 0.25f);
        }
        fx.processEvents(events.get());
        fx.processReplacing(io, io, kFrames);
    }
    stop = true;
    host.join();
    for (const auto& channel : channels) {
        for (size_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(channel[i], kGuardValue) << "before the block, " << i;
            ASSERT_EQ(channel[kGuard + kFrames + i], kGuardValue) << "after the block, " << i;
        }
        for (int32_t i = 0; i < kFrames; ++i) {
            ASSERT_TRUE(std::isfinite(channel[kGuard + i])) << i;
        }
    }
}

} // namespace

TEST(ProcessingThreads, ProgramChangesKeepEveryBlockInsideTheBuffers) {
    FilterEffect fx{quietHost};
    // Countdowns from 1 sample to hundreds, so a late one lands anywhere in a block.
    for (int32_t program = 0; program < kNumPrograms; ++program) {
        fx.setProgram(program);
        fx.setParameter(kSmoothness, static_cast<float>(program % 4) / 3.0f);
    }
    fx.setSampleRate(192000.0f);
    runAgainstHostThread(fx, 20000, [&](int32_t i) { fx.setProgram(i % kNumPrograms); });
}

// A rate change builds its tables where the loop is not reading, and a switch-on empties the
// queue by request: ThreadSanitizer sees neither touch what the running block reads.
TEST(ProcessingThreads, RateChangesAndSwitchOnsNeverTouchWhatTheRunningBlockReads) {
    FilterEffect fx{quietHost};
    fx.setParameter(kSmoothness, 0.0f);
    runAgainstHostThread(fx, 300, [&](int32_t i) {
        fx.setSampleRate(i % 3 == 0 ? 8000.0f : 44100.0f + static_cast<float>(i));
    });
    runAgainstHostThread(fx, 20000, [&](int32_t) { fx.resume(); });
}
