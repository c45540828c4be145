// The optimised signal path against the literal one, and the timing of steps and queued changes.
#include "tests/unit/event_list.h"
#include "tests/unit/reference_filter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

namespace {

bool sameBits(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

struct StereoBuffer {
    explicit StereoBuffer(int32_t frames) : left(frames), right(frames) {}
    std::vector<float> left, right;
    std::array<float*, 2> pointers() { return {left.data(), right.data()}; }
};

// Drives two instances with the same calls; one processes with the effect's own code, the
// other with the literal reference, and every output sample must match bit for bit.
class TwinTest : public ::testing::Test {
protected:
    void both(const std::function<void(FilterEffect&)>& call) {
        call(fast);
        call(reference);
    }

    // In place, each instance gets its own copy of the input as its input and output buffers.
    void processBoth(StereoBuffer& input, const StereoBuffer& initial, int32_t frames,
                     bool replacing, bool inPlace) {
        StereoBuffer fastOut = inPlace ? input : initial;
        StereoBuffer referenceOut = fastOut;
        auto out = fastOut.pointers();
        auto expected = referenceOut.pointers();
        auto in = input.pointers();
        auto referenceIn = in;
        if (inPlace) {
            in = out;
            referenceIn = expected;
        }
        if (replacing) {
            fast.processReplacing(in.data(), out.data(), frames);
            ReferenceFilter::processReplacing(reference, referenceIn.data(), expected.data(),
                                              frames);
        } else {
            fast.process(in.data(), out.data(), frames);
            ReferenceFilter::process(reference, referenceIn.data(), expected.data(), frames);
        }
        for (std::size_t i = 0; i < fastOut.left.size(); ++i) {
            ASSERT_TRUE(sameBits(fastOut.left[i], referenceOut.left[i]) &&
                        sameBits(fastOut.right[i], referenceOut.right[i]))
                << "block " << block << " sample " << i << ": " << fastOut.left[i] << " "
                << referenceOut.left[i] << " / " << fastOut.right[i] << " "
                << referenceOut.right[i];
        }
        ++block;
    }

    FilterEffect fast{quietHost};
    FilterEffect reference{quietHost};
    int block = 0;
};

float randomLevel(std::mt19937& random) {
    static constexpr float kLevels[] = {0.0f, 1e-30f, 1e-3f, 0.3f, 1.0f, 2.5f, 12.0f};
    return kLevels[std::uniform_int_distribution<int>(0, std::size(kLevels) - 1)(random)];
}

void fillEvents(std::mt19937& random, EventList& events, int32_t frames) {
    std::uniform_int_distribution<int> byte(0, 127);
    const int count = std::uniform_int_distribution<int>(0, 12)(random);
    int32_t offset = 0;
    for (int e = 0; e < count; ++e) {
        offset += std::uniform_int_distribution<int>(0, frames / 4 + 2)(random);
        const int channel = byte(random) & 15;
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0:
            events.noteOn(offset, byte(random), byte(random), channel);
            break;
        case 1:
            events.controlChange(offset, 71, byte(random), channel);
            break;
        case 2:
            events.controlChange(offset, 5, byte(random) / 4, channel);
            break;
        case 3:
            events.controlChange(offset, 20, byte(random), channel);
            break;
        case 4:
            // Out of order: blocks the entries behind it for the rest of the block.
            events.controlChange(offset / 2, 71, byte(random), channel);
            break;
        default:
            events.otherType(2, offset, 0x90, byte(random), 100);
            break;
        }
    }
}

TEST_F(TwinTest, LongRandomRunsMatchTheLiteralAlgorithmBitForBit) {
    std::mt19937 random(20241207);
    std::uniform_real_distribution<float> unit(-0.2f, 1.2f);
    std::uniform_int_distribution<int> percent(0, 99);
    both([](FilterEffect& fx) { fx.setParameter(kCcRezo, 20.0f / 128.0f); });
    for (int round = 0; round < 2500; ++round) {
        if (percent(random) < 25) {
            const int index = std::uniform_int_distribution<int>(0, 7)(random);
            const float value = unit(random);
            both([&](FilterEffect& fx) { fx.setParameter(index, value); });
        }
        if (percent(random) < 4) {
            const int program = std::uniform_int_distribution<int>(0, 15)(random);
            both([&](FilterEffect& fx) { fx.setProgram(program); });
        }
        if (percent(random) < 1) {
            static constexpr float kRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f};
            const float rate = kRates[std::uniform_int_distribution<int>(0, 4)(random)];
            both([&](FilterEffect& fx) { fx.setSampleRate(rate); });
        }
        if (percent(random) < 2) {
            both([](FilterEffect& fx) { fx.resume(); });
        }
        int32_t frames = std::uniform_int_distribution<int>(0, 700)(random);
        if (percent(random) < 10) {
            frames = std::uniform_int_distribution<int>(-2, 3)(random);
        }
        const int32_t bufferFrames = std::max(frames, 0);
        if (percent(random) < 60) {
            EventList events;
            fillEvents(random, events, bufferFrames);
            both([&](FilterEffect& fx) { fx.processEvents(events.get()); });
        }
        StereoBuffer input(bufferFrames), initial(bufferFrames);
        const float level = percent(random) < 15 ? 0.0f : randomLevel(random);
        std::normal_distribution<float> noise(0.0f, level);
        for (int32_t i = 0; i < bufferFrames; ++i) {
            input.left[i] = noise(random);
            input.right[i] = percent(random) < 1 ? 0.0f : noise(random);
            initial.left[i] = unit(random);
            initial.right[i] = unit(random);
        }
        if (bufferFrames > 0 && percent(random) < 2) {
            input.right[bufferFrames / 2] = std::numeric_limits<float>::quiet_NaN();
            input.left[bufferFrames - 1] = std::numeric_limits<float>::infinity();
        }
        processBoth(input, initial, frames, percent(random) < 30, percent(random) < 25);
        if (HasFatalFailure()) {
            return;
        }
    }
}

class GlideTest : public ::testing::Test {
protected:
    void run(int32_t frames) {
        StereoBuffer buffer(frames);
        auto io = buffer.pointers();
        fx.process(io.data(), io.data(), frames);
    }
    ReferenceFilter::Glide glide() { return ReferenceFilter::glide(fx); }

    FilterEffect fx{quietHost};
};

TEST_F(GlideTest, QueuedChangeRestartsTheCountdownAndTheFirstStepFollowsOneIntervalLater) {
    ASSERT_EQ(glide().cutoffRow, 2047);
    EventList events;
    events.controlChange(5, 71, 127); // cutoff row 4799
    events.controlChange(5, 5, 14);   // interval 3 at 44100 Hz; the last entry at 5 wins
    fx.processEvents(events.get());
    run(6);
    EXPECT_EQ(glide().cutoffTarget, 4799);
    EXPECT_EQ(glide().stepInterval, 3);
    EXPECT_EQ(glide().stepCountdown, 3);
    run(2);
    EXPECT_EQ(glide().cutoffRow, 2047) << "no step after samples 6 and 7";
    run(1);
    EXPECT_EQ(glide().cutoffRow, 2048) << "the first step follows sample 8";
    run(3);
    EXPECT_EQ(glide().cutoffRow, 2049);
}

TEST_F(GlideTest, BlockWithoutEventsReappliesNothing) {
    EventList events;
    events.controlChange(0, 71, 127);
    fx.processEvents(events.get());
    run(16);
    fx.setParameter(kFrequency, 0.0f);
    run(16);
    EXPECT_EQ(glide().cutoffTarget, 0);
}

TEST_F(GlideTest, IntervalOneStepsAfterEverySample) {
    fx.setParameter(kSmoothness, 0.0f);
    fx.setParameter(kFrequency, 1.0f);
    fx.setParameter(kResonance, 1.0f);
    run(5); // the program's countdown of 5 runs out first
    EXPECT_EQ(glide().cutoffRow, 2048);
    EXPECT_EQ(glide().resonanceStep, 14);
    run(100);
    EXPECT_EQ(glide().cutoffRow, 2148);
    EXPECT_EQ(glide().resonanceStep, 114);
}

TEST_F(GlideTest, ParametersDeriveTargetsIntervalsAndGain) {
    fx.setParameter(kFrequency, 1.0f);
    EXPECT_EQ(glide().cutoffTarget, 4095);
    fx.setParameter(kResonance, 0.0f);
    EXPECT_EQ(glide().resonanceTarget, 1);
    fx.setParameter(kResonance, 1.0f);
    EXPECT_EQ(glide().resonanceTarget, 128);
    fx.setParameter(kSmoothness, 0.0f);
    EXPECT_EQ(glide().stepInterval, 1);
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, 177);
    EXPECT_EQ(glide().stepCountdown, 5) << "a new interval leaves the countdown running";
    fx.setParameter(kGain, 0.5f);
    EXPECT_NEAR(glide().gainFactor, 0.2512, 1e-4);
    fx.setParameter(kGain, 0.0f);
    EXPECT_NEAR(glide().gainFactor, 0.0631, 1e-4);
    fx.setParameter(kGain, 1.0f);
    EXPECT_EQ(glide().gainFactor, 1.0f);
    EXPECT_FALSE(ReferenceFilter::usesHighpass(fx));
    fx.setParameter(kFilterType, 0.5f);
    EXPECT_TRUE(ReferenceFilter::usesHighpass(fx));
    fx.setSampleRate(96000.0f);
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, 385);
}

TEST_F(GlideTest, ProgramAndRateChangesJumpWithTheLinearLaw) {
    fx.setParameter(kSmoothness, 1.0f);
    fx.setProgram(3);
    EXPECT_EQ(glide().cutoffRow, 2047);
    EXPECT_EQ(glide().cutoffTarget, 2047);
    EXPECT_EQ(glide().stepInterval, 5);
    fx.setParameter(kSmoothness, 1.0f);
    fx.setProgram(3);
    EXPECT_EQ(glide().stepInterval, 45);
    EXPECT_EQ(glide().stepCountdown, 45);
    fx.setSampleRate(48000.0f);
    EXPECT_EQ(fx.getProgram(), 3);
    EXPECT_EQ(glide().stepInterval, 49);
    EXPECT_DOUBLE_EQ(ReferenceFilter::limiter(fx).getReleaseCoefficient(), 0.0019169811508958912);
}

// The rate told with the block size (opcode 43) is stored and drives the intervals of later
// parameter and program changes, without new tables.
TEST_F(GlideTest, TheRateToldWithTheBlockSizeDrivesTheIntervalsOnly) {
    const double release = ReferenceFilter::limiter(fx).getReleaseCoefficient();
    fx.getAeffect()->dispatcher(fx.getAeffect(), effSetBlockSizeAndSampleRate, 0, 512, nullptr,
                                96000.0f);
    EXPECT_EQ(fx.getSampleRate(), 96000.0f);
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, 385);
    fx.setProgram(3);
    EXPECT_EQ(glide().stepInterval, 10) << "the linear law on program 3's Smoothness, 0.1";
    EXPECT_EQ(ReferenceFilter::limiter(fx).getReleaseCoefficient(), release) << "no new tables";
    fx.getAeffect()->dispatcher(fx.getAeffect(), effSetBlockSizeAndSampleRate, 0, 512, nullptr,
                                -1.0f);
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, 385) << "a rate no derivation can use keeps the stored one";
}

TEST_F(GlideTest, UnusableSampleRatesKeepTheRateInForce) {
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()}) {
        fx.setSampleRate(rate);
        EXPECT_EQ(fx.getSampleRate(), 44100.0f) << rate;
    }
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, 177);
}

TEST_F(GlideTest, AbsurdSampleRatesSaturateTheInterval) {
    fx.setSampleRate(3e38f);
    fx.setParameter(kSmoothness, 1.0f);
    EXPECT_EQ(glide().stepInterval, std::numeric_limits<int32_t>::max());
    EventList events;
    events.controlChange(0, 5, 127);
    fx.processEvents(events.get());
    EXPECT_EQ(ReferenceFilter::queue(fx).at(0).stepInterval, std::numeric_limits<int32_t>::max());
    StereoBuffer buffer(64);
    buffer.left.assign(64, 0.5f);
    auto io = buffer.pointers();
    fx.processReplacing(io.data(), io.data(), 64);
    EXPECT_TRUE(std::isfinite(buffer.left[63]));
}

TEST_F(GlideTest, NonFiniteInputLeavesNoTraceTwoBlocksLater) {
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        StereoBuffer buffer(32);
        buffer.left.assign(32, 0.25f);
        buffer.right.assign(32, 0.25f);
        buffer.left[31] = value;
        buffer.right[7] = value;
        auto io = buffer.pointers();
        fx.processReplacing(io.data(), io.data(), 32);
        for (int block = 0; block < 2; ++block) {
            buffer.left.assign(32, 0.25f);
            buffer.right.assign(32, 0.25f);
            fx.processReplacing(io.data(), io.data(), 32);
        }
        for (int i = 0; i < 32; ++i) {
            ASSERT_TRUE(std::isfinite(buffer.left[i]) && std::isfinite(buffer.right[i]))
                << value << " sample " << i;
        }
        EXPECT_GT(ReferenceFilter::limiter(fx).getEnvelope(0), 0.0f);
    }
}

} // namespace
