#include "effect/controlhandoff.h"
#include "effect/filter.h"
#include "effect/filtertables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct ExpectedRow {
    int row;
    float a1, lowB0, lowB1, highB0, highB1, sinW;
};

// Printed to seven digits: compare to that precision.
void expectSevenDigits(float actual, float expected, const char* column, int row) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * 1e-6) << column << " of row " << row;
}

class FilterTablesTest : public ::testing::Test {
protected:
    void fill(float sampleRate) { fillFilterTables(lowpass.data(), highpass.data(), sampleRate); }

    std::vector<CoefficientRow> lowpass = std::vector<CoefficientRow>(kFilterRows);
    std::vector<CoefficientRow> highpass = std::vector<CoefficientRow>(kFilterRows);
};

TEST_F(FilterTablesTest, LadderRowsAt44100) {
    fill(44100.0f);
    const ExpectedRow expected[] = {
        {0, -1.999754f, 6.140434e-5f, 1.228087e-4f, 0.9999386f, -1.999877f, 0.01567170f},
        {2047, -1.991473f, 0.002131774f, 0.004263547f, 0.9978682f, -1.995736f, 0.09224379f},
        {4095, -1.710312f, 0.07242199f, 0.1448440f, 0.9275780f, -1.855156f, 0.5183707f},
        {4799, -1.075500f, 0.2311249f, 0.4622498f, 0.7688751f, -1.537750f, 0.8431042f},
    };
    for (const ExpectedRow& e : expected) {
        const CoefficientRow& low = lowpass[e.row];
        const CoefficientRow& high = highpass[e.row];
        expectSevenDigits(low.a1, e.a1, "a1", e.row);
        expectSevenDigits(low.b0, e.lowB0, "low-pass b0", e.row);
        expectSevenDigits(low.b1, e.lowB1, "low-pass b1", e.row);
        expectSevenDigits(high.b0, e.highB0, "high-pass b0", e.row);
        expectSevenDigits(high.b1, e.highB1, "high-pass b1", e.row);
        expectSevenDigits(low.sinW, e.sinW, "sinW", e.row);
    }
}

TEST_F(FilterTablesTest, OuterTermsMatchAndBothResponsesShareTheAngle) {
    for (float rate : {22050.0f, 44100.0f, 96000.0f}) {
        fill(rate);
        for (int row = 0; row < kFilterRows; ++row) {
            ASSERT_EQ(lowpass[row].b2, lowpass[row].b0) << row;
            ASSERT_EQ(highpass[row].b2, highpass[row].b0) << row;
            ASSERT_EQ(highpass[row].a1, lowpass[row].a1) << row;
            ASSERT_EQ(highpass[row].sinW, lowpass[row].sinW) << row;
        }
    }
}

TEST_F(FilterTablesTest, LastRowIsSixOctavesUpAtAnyRate) {
    fill(96000.0f);
    const double w = 6.283185307179586 * 7040.0 / 96000.0;
    EXPECT_NEAR(lowpass[kLastFilterRow].a1, -2.0 * std::cos(w), 1e-6);
    EXPECT_NEAR(lowpass[kLastFilterRow].sinW, std::sin(w), 1e-6);
}

TEST_F(FilterTablesTest, RowsAboveHalfTheRateAreStillFinite) {
    fill(8000.0f);
    for (int row = 0; row < kFilterRows; ++row) {
        ASSERT_TRUE(std::isfinite(lowpass[row].a1) && std::isfinite(highpass[row].b1)) << row;
    }
}

// The filter on its own: its glide, its coefficients from the table, and its history.
class FilterTest : public FilterTablesTest {
protected:
    void SetUp() override { fill(44100.0f); }
};

TEST_F(FilterTest, PassesItsInputUntilItsFirstStep) {
    Filter filter;
    Filter::History history = filter.history();
    const Stereo out = Filter::apply(history, filter.coefficients(), Stereo{0.25, -0.5});
    EXPECT_EQ(out[0], 0.25);
    EXPECT_EQ(out[1], -0.5);
    EXPECT_EQ(history.x1[1], -0.5) << "the history moves on";
}

TEST_F(FilterTest, EachStepMovesOneRowAndOneStepTowardTheTargetsAndTakesTheirCoefficients) {
    Filter filter;
    filter.startAt(10, 5);
    const struct { int32_t row, step; } expected[] = {{11, 4}, {12, 3}, {12, 3}};
    for (const auto& [row, step] : expected) {
        const Filter::Coefficients before = filter.coefficients();
        filter.prepareStep(12, 3, highpass.data(), 0.4);
        EXPECT_EQ(filter.getCutoffRow(), row);
        EXPECT_EQ(filter.getResonanceStep(), step);
        EXPECT_EQ(filter.coefficients().b0[0], before.b0[0]) << "not in use before takeStep";
        filter.takeStep();
        const CoefficientRow& r = highpass[row];
        const double alpha = r.sinW / (step * 0.4 + 1.414213562373095);
        const double n = 1.0 / (1.0 + alpha);
        const Filter::Coefficients& k = filter.coefficients();
        EXPECT_EQ(k.b0[1], static_cast<float>(r.b0 * n)) << row;
        EXPECT_EQ(k.b1[0], static_cast<float>(r.b1 * n)) << row;
        EXPECT_EQ(k.a2[1], static_cast<float>((1.0 - alpha) * n)) << row;
    }
}

// Rounding the feedback by its bits agrees with the float conversion for ordinary values; where
// it would not, the conversion stands.
TEST_F(FilterTest, QuickRoundingKeepsWhatAFloatKeeps) {
    const double tie = 1.0 + 0x1p-24; // halfway between two floats: a float rounds it to even
    EXPECT_FALSE(sameBits(roundedToFloatByBits(both(tie)), roundedToFloat(both(tie))));
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    // Ordinary, ties, subnormal as floats, beyond a float's range, signed zeros, not finite.
    const double values[] = {0.3,  -0.7, 1.0 + 0x1p-25, tie,  -(1.0 + 0x3p-24), 1e-39, -1e-45,
                             3e38, 1e39, 0.0,           -0.0, kInfinity,        kNaN};
    const Filter::Coefficients passThrough = Filter().coefficients();
    for (const double value : values) {
        Filter::History quick{}, plain{};
        Filter::applyQuickly(quick, passThrough, both(value));
        Filter::apply(plain, passThrough, both(value));
        EXPECT_TRUE(sameBits(quick.y1, plain.y1)) << value;
    }
}

TEST_F(FilterTest, ACopyIsAValueOfItsOwn) {
    Filter filter;
    filter.keepHistory({Stereo{1, 2}, Stereo{3, 4}, Stereo{5, 6}, Stereo{7, 8}});
    const Filter copy = filter;
    filter.prepareStep(100, 50, lowpass.data(), 0.4);
    filter.takeStep();
    filter.clearHistory();
    EXPECT_EQ(copy.getCutoffRow(), 0);
    EXPECT_EQ(copy.coefficients().b0[0], 1.0);
    EXPECT_EQ(copy.history().y2[1], 8.0);
    EXPECT_EQ(filter.history().y2[1], 0.0);
}

TEST_F(FilterTest, FlushClearsOnlyAChannelWhoseLastOutputIsZeroOrSubnormal) {
    const struct {
        double left, right;
        bool leftKept, rightKept;
    } cases[] = {
        {0.5, 1e-39, true, false},
        {0.0, -0.25, false, true},
        {-1.2e-38, 1.2e-38, true, true},
    };
    for (const auto& [left, right, leftKept, rightKept] : cases) {
        Filter filter;
        filter.keepHistory({Stereo{1, 1}, Stereo{1, 1}, Stereo{left, right}, Stereo{1, 1}});
        filter.flushDenormalHistory();
        const Filter::History h = filter.history();
        EXPECT_EQ(h.x1[0] != 0.0, leftKept) << left;
        EXPECT_EQ(h.y2[1] != 0.0, rightKept) << right;
    }
}

// The rate handoff, one side at a time in a fixed order: a publisher never refills the set the
// loop reads, and the loop switches to the set published last.
TEST(ControlHandoff, ThePublisherNeverRefillsTheSetTheLoopReads) {
    const auto shared = std::make_unique<ControlHandoff>(44100.0f);
    ControlHandoff::Host host(*shared);
    ControlHandoff::Loop loop(*shared);
    const auto reading = [&loop] { return loop.tables().sampleRate; };
    const auto take = [&loop] { return loop.take(); };
    // Twice before a take: the second rebuilds the pending set, not the loop's.
    host.publishTables(48000.0f);
    host.publishTables(96000.0f);
    EXPECT_EQ(reading(), 44100.0f);
    EXPECT_EQ(take(), ControlHandoff::kNewTables);
    EXPECT_EQ(reading(), 96000.0f);
    // A take between two publishes: the loop keeps what it took until the next take.
    host.publishTables(22050.0f);
    take();
    host.publishTables(32000.0f);
    EXPECT_EQ(reading(), 22050.0f);
    // Three more while the loop holds its set.
    for (float rate : {8000.0f, 11025.0f, 16000.0f}) {
        host.publishTables(rate);
        EXPECT_EQ(reading(), 22050.0f) << rate;
    }
    take();
    EXPECT_EQ(reading(), 16000.0f);
    // Withdrawing one request keeps the others, the switch among them.
    host.publishTables(48000.0f);
    host.request(ControlHandoff::kHistoryClear | ControlHandoff::kQueueClear);
    loop.withdraw(ControlHandoff::kQueueClear);
    EXPECT_EQ(take(), ControlHandoff::kNewTables | ControlHandoff::kHistoryClear);
    EXPECT_EQ(reading(), 48000.0f);
    EXPECT_EQ(take(), 0u);
}

// A program start arrives whole: the later of two starts, never a mix of both.
TEST(ControlHandoff, AProgramStartIsTakenWhole) {
    const auto shared = std::make_unique<ControlHandoff>(44100.0f);
    ControlHandoff::Host host(*shared);
    ControlHandoff::Loop loop(*shared);
    host.requestProgramStart({4799, 128, std::numeric_limits<int32_t>::max()});
    host.requestProgramStart({0, 1, 1});
    host.requestProgramStart({2047, 64, 441});
    EXPECT_EQ(loop.take(), ControlHandoff::kProgramStart);
    const ControlHandoff::ProgramStart start = loop.programStart();
    EXPECT_EQ(start.cutoffRow, 2047);
    EXPECT_EQ(start.resonanceStep, 64);
    EXPECT_EQ(start.stepCountdown, 441);
    host.requestProgramStart({4799, 128, std::numeric_limits<int32_t>::max()});
    EXPECT_EQ(loop.programStart().cutoffRow, 4799);
    EXPECT_EQ(loop.programStart().resonanceStep, 128);
    EXPECT_EQ(loop.programStart().stepCountdown, std::numeric_limits<int32_t>::max());
}

} // namespace
