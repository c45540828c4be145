#include "effect/limiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class LimiterTest : public ::testing::Test {
protected:
    void SetUp() override {
        limiter.setRelease(75.0f, 44100.0f);
        limiter.reset();
    }

    Limiter limiter;
};

TEST_F(LimiterTest, GainTableIsOneBelowUnitLevelAndTheReciprocalAbove) {
    const float* table = limiter.getGainTable();
    for (int i = 0; i <= 4096; ++i) {
        ASSERT_EQ(table[i], 1.0f) << i;
    }
    EXPECT_EQ(table[8192], 0.5f);
    EXPECT_NEAR(table[32767], 0.12500381f, 1e-8);
    for (int i = 4097; i < Limiter::kTableSize; ++i) {
        ASSERT_LT(table[i], table[i - 1]) << i;
    }
}

TEST(LimiterRelease, CoefficientLeavesOneThousandthAfterSeventyFiveMilliseconds) {
    Limiter limiter;
    limiter.setRelease(75.0f, 44100.0f);
    EXPECT_DOUBLE_EQ(limiter.getReleaseCoefficient(), 0.0020863331311714584);
    limiter.setRelease(75.0f, 48000.0f);
    EXPECT_DOUBLE_EQ(limiter.getReleaseCoefficient(), 0.0019169811508958912);
    limiter.setRelease(75.0f, 96000.0f);
    EXPECT_DOUBLE_EQ(limiter.getReleaseCoefficient(), 0.0009589503683523626);
}

TEST_F(LimiterTest, QuietLevelPassesUnchanged) {
    const Stereo out = limiter.apply(Stereo{0.5, -0.999});
    EXPECT_EQ(out[0], 0.5);
    EXPECT_EQ(out[1], -0.999);
    EXPECT_EQ(limiter.getEnvelope(0), 1.0f);
    EXPECT_EQ(limiter.getEnvelope(1), 1.0f);
}

TEST_F(LimiterTest, AttackReachesTheCeilingWithinTheSample) {
    EXPECT_EQ(limiter.apply(Stereo{-2.0, 0.5})[0], -1.0);
    EXPECT_EQ(limiter.getEnvelope(0), 0.5f);
    EXPECT_EQ(limiter.getEnvelope(1), 1.0f) << "channels are independent";
    EXPECT_FLOAT_EQ(static_cast<float>(limiter.chain().gainFor(both(1.5))[1]), 0.6666667f);
}

TEST_F(LimiterTest, LevelsBeyondTheTableUseItsLastInterpolableEntry) {
    EXPECT_FLOAT_EQ(static_cast<float>(limiter.chain().gainFor(both(20.0))[0]), 0.12503053f);
    EXPECT_NEAR(limiter.apply(both(-20.0))[1], -2.5006, 1e-4);
}

TEST_F(LimiterTest, NonFiniteLevelsStayInsideTheTableAndKeepTheEnvelopeFinite) {
    const double levels[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (double level : levels) {
        limiter.reset();
        limiter.apply(Stereo{level, 0.0});
        EXPECT_FLOAT_EQ(limiter.getEnvelope(0), 0.12503053f) << level;
        EXPECT_TRUE(std::isfinite(limiter.apply(both(0.25))[0]));
    }
}

TEST_F(LimiterTest, ReleaseClimbsBackAFixedShareOfTheGapPerSample) {
    limiter.apply(both(2.0));
    limiter.apply(both(0.1));
    const double coefficient = limiter.getReleaseCoefficient();
    EXPECT_EQ(limiter.getEnvelope(0), static_cast<float>(0.5 + 0.5 * coefficient));
    for (int i = 1; i < 3308; ++i) {
        limiter.apply(both(0.1));
    }
    EXPECT_NEAR(limiter.getEnvelope(0), 1.0, 0.5 * 0.0011);
    EXPECT_LT(limiter.getEnvelope(0), 1.0f);
    limiter.reset();
    EXPECT_EQ(limiter.getEnvelope(0), 1.0f);
}

} // namespace
