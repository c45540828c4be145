#include "effect/AGain.h"

#include <cmath>

namespace {

constexpr double kSaturation = static_cast<double>(-0.1666666716337204f);
constexpr double kSqrt2 = 1.414213562373095;
constexpr double kSmallestNormal = 1.1754943508222875e-38;

int32_t stepToward(int32_t current, int32_t target) {
    if (current < target) {
        return current + 1;
    }
    return current > target ? current - 1 : current;
}

} // namespace

void FilterEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    runBlock<true>(inputs, outputs, sampleFrames, 0.4);
}

void FilterEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    runBlock<false>(inputs, outputs, sampleFrames, 0.2);
}

template <bool accumulate>
void FilterEffect::runBlock(float** inputs, float** outputs, int32_t sampleFrames,
                            double resonanceFactor) {
    const ControlEvent* next = eventQueue;
    for (int32_t i = 0; i < sampleFrames; ++i) {
        const double gain = gainFactor.load(std::memory_order_relaxed);
        double saturated[2];
        for (int c = 0; c < 2; ++c) {
            const double x = inputs[c][i];
            const double y = static_cast<double>(b1) * x1[c] + static_cast<double>(b2) * x2[c] -
                             static_cast<double>(a1) * y1[c] - static_cast<double>(a2) * y2[c] +
                             static_cast<double>(b0) * x;
            const double u = gain * y;
            saturated[c] = u + kSaturation * (u * u * u);
            x2[c] = x1[c];
            x1[c] = static_cast<float>(x);
            y2[c] = y1[c];
            y1[c] = static_cast<float>(y);
        }
        for (int c = 0; c < 2; ++c) {
            const double out = outputLimiter.apply(c, saturated[c]);
            if constexpr (accumulate) {
                outputs[c][i] = static_cast<float>(outputs[c][i] + out);
            } else {
                outputs[c][i] = static_cast<float>(out);
            }
        }
        updateCoefficients(resonanceFactor);
        next = applyQueuedChanges(next, i);
    }
    flushDenormalHistory();
}

void FilterEffect::updateCoefficients(double resonanceFactor) {
    if (--stepCountdown != 0) {
        return;
    }
    constexpr auto relaxed = std::memory_order_relaxed;
    stepCountdown = stepInterval.load(relaxed);
    cutoffRow = stepToward(cutoffRow, cutoffTarget.load(relaxed));
    resonanceStep = stepToward(resonanceStep, resonanceTarget.load(relaxed));
    const double q = resonanceStep * resonanceFactor + kSqrt2;
    const CoefficientRow& row = activeTable.load(relaxed)[cutoffRow];
    const double alpha = row.sinW / q;
    const double n = 1.0 / (1.0 + alpha);
    a2 = static_cast<float>((1.0 - alpha) * n);
    a1 = static_cast<float>(row.a1 * n);
    b0 = static_cast<float>(row.b0 * n);
    b1 = static_cast<float>(row.b1 * n);
    b2 = static_cast<float>(row.b2 * n);
}

const ControlEvent* FilterEffect::applyQueuedChanges(const ControlEvent* next, int32_t sample) {
    constexpr auto relaxed = std::memory_order_relaxed;
    while (next->sampleOffset == sample) {
        ControlEvent& entry = eventQueue[next - eventQueue];
        cutoffTarget.store(entry.cutoffRow, relaxed);
        resonanceTarget.store(entry.resonance, relaxed);
        stepCountdown = entry.stepInterval;
        stepInterval.store(entry.stepInterval, relaxed);
        entry.sampleOffset = -1;
        ++next;
    }
    return next;
}

// Keeps the feedback path out of denormal arithmetic once the input has fallen silent.
void FilterEffect::flushDenormalHistory() {
    for (int c = 0; c < 2; ++c) {
        if (!(std::fabs(static_cast<double>(y1[c])) > kSmallestNormal)) {
            x1[c] = x2[c] = y1[c] = y2[c] = 0.0f;
        }
    }
}
