// The audio loop while a host thread switches programs as fast as it can: the countdown a program
// starts arrives at any moment, and every block must stay inside the host's buffers. Guard zones
// catch a write outside them in any build; AddressSanitizer and ThreadSanitizer also catch reads.
#include "effect/AGain.h"
#include "reference_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int32_t kFrames = 97;
constexpr size_t kGuard = 32;
constexpr float kGuardValue = 12345.0f;

} // namespace

TEST(ProcessingThreads, ProgramChangesKeepEveryBlockInsideTheBuffers) {
    FilterEffect fx{quietHost};
    // Countdowns from 1 sample to hundreds, so a late one lands anywhere in a block.
    for (int32_t program = 0; program < kNumPrograms; ++program) {
        fx.setProgram(program);
        fx.setParameter(kSmoothness, static_cast<float>(program % 4) / 3.0f);
    }
    fx.setSampleRate(192000.0f);
    std::atomic<bool> stop{false};
    std::atomic<int32_t> changes{0};
    std::thread host([&] {
        for (int32_t program = 0; !stop.load(std::memory_order_relaxed); ++program) {
            fx.setProgram(program % kNumPrograms);
            changes.store(program + 1, std::memory_order_relaxed);
        }
    });
    std::vector<float> channels[2];
    for (auto& channel : channels) {
        channel.assign(kGuard + kFrames + kGuard, kGuardValue);
    }
    float* io[] = {channels[0].data() + kGuard, channels[1].data() + kGuard};
    // Until both threads have done their share, however the scheduler shares the cores.
    for (int block = 0; block < 20000 || changes.load(std::memory_order_relaxed) < 20000; ++block) {
        for (auto* channel : io) {
            std::fill(channel, channel + kFrames, 0.25f);
        }
        fx.processReplacing(io, io, kFrames);
    }
    stop = true;
    host.join();
    for (const auto& channel : channels) {
        for (size_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(channel[i], kGuardValue) << "before the block, " << i;
            ASSERT_EQ(channel[kGuard + kFrames + i], kGuardValue) << "after the block, " << i;
        }
    }
}
