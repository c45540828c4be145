#include "effect/AGain.h"
#include "effect/stereo.h"

#include <cmath>

namespace {

constexpr double kSaturation = static_cast<double>(-0.1666666716337204f);
constexpr double kSqrt2 = 1.414213562373095;
constexpr double kSmallestNormal = 1.1754943508222875e-38;
constexpr auto relaxed = std::memory_order_relaxed;

int32_t stepToward(int32_t current, int32_t target) {
    if (current < target) {
        return current + 1;
    }
    return current > target ? current - 1 : current;
}

} // namespace

// Both channels side by side; the coefficients, which they share, in both lanes. History
// values are always what the float fields hold, so a block computes exactly what a loop
// over the fields would.
struct FilterEffect::Lanes {
    Stereo b0, b1, b2, a1, a2;
    Stereo x1, x2, y1, y2;
    Stereo gain;
};

void FilterEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    runBlock<Output::add>(inputs, outputs, sampleFrames, kAccumulatingResonanceFactor);
}

// Runs of samples without a coefficient step or a queued change inside them: each run ends
// with the sample after which one of them is due, and the per-sample loop tests nothing.
template <FilterEffect::Output output>
void FilterEffect::runBlock(float** inputs, float** outputs, int32_t sampleFrames,
                            double resonanceFactor) {
    float* const in[2] = {inputs[0], inputs[1]};
    float* const out[2] = {outputs[0], outputs[1]};
    Lanes lanes = loadLanes();
    Limiter::Chain limiter = outputLimiter.chain();
    ControlEvent* next = eventQueue;
    for (int32_t sample = 0; sample < sampleFrames;) {
        const int32_t end = runEnd(sample, sampleFrames, *next);
        runSamples<output>(lanes, limiter, in, out, sample, end);
        stepCountdown -= end - sample;
        sample = end;
        if (stepCountdown == 0) {
            updateCoefficients(resonanceFactor);
            loadCoefficients(lanes);
        }
        next = applyQueuedChanges(next, sample - 1);
    }
    storeHistory(lanes);
    outputLimiter.keep(limiter);
    flushDenormalHistory();
}

// Each frame's input is read before its output is written: a host may pass the same buffers for
// both.
template <FilterEffect::Output output>
void FilterEffect::runSamples(Lanes& lanes, Limiter::Chain& limiter, float* const* inputs,
                              float* const* outputs, int32_t begin, int32_t end) {
    auto [b0, b1, b2, a1, a2, x1, x2, y1, y2, gain] = lanes;
    for (int32_t i = begin; i < end; ++i) {
        const Stereo x = loadFrame(inputs, i);
        const Stereo y = b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2 + b0 * x;
        const Stereo u = gain * y;
        const Stereo saturated = u + kSaturation * (u * u * u);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = roundedToFloat(y);
        const Stereo limited = limiter.apply(saturated);
        if constexpr (output == Output::add) {
            storeFrame(outputs, i, loadFrame(outputs, i) + limited);
        } else if constexpr (output == Output::addToSilence) {
            storeFrame(outputs, i, both(0.0) + limited);
        } else {
            storeFrame(outputs, i, limited);
        }
    }
    lanes.x1 = x1;
    lanes.x2 = x2;
    lanes.y1 = y1;
    lanes.y2 = y2;
}

// The end of the run from `sample`: after the sample whose coefficient step is due, after the
// sample at which the next queued change applies, or at the end of the block.
int32_t FilterEffect::runEnd(int32_t sample, int32_t sampleFrames, const ControlEvent& next) const {
    int32_t end = sampleFrames;
    if (stepCountdown < end - sample) {
        end = sample + stepCountdown;
    }
    if (next.sampleOffset >= sample && next.sampleOffset < end) {
        end = next.sampleOffset + 1;
    }
    return end;
}

FilterEffect::Lanes FilterEffect::loadLanes() const {
    Lanes lanes;
    loadCoefficients(lanes);
    lanes.x1 = Stereo{x1[0], x1[1]};
    lanes.x2 = Stereo{x2[0], x2[1]};
    lanes.y1 = Stereo{y1[0], y1[1]};
    lanes.y2 = Stereo{y2[0], y2[1]};
    lanes.gain = both(gainFactor.load(relaxed));
    return lanes;
}

void FilterEffect::loadCoefficients(Lanes& lanes) const {
    lanes.b0 = both(b0);
    lanes.b1 = both(b1);
    lanes.b2 = both(b2);
    lanes.a1 = both(a1);
    lanes.a2 = both(a2);
}

void FilterEffect::storeHistory(const Lanes& lanes) {
    for (int c = 0; c < 2; ++c) {
        x1[c] = static_cast<float>(lanes.x1[c]);
        x2[c] = static_cast<float>(lanes.x2[c]);
        y1[c] = static_cast<float>(lanes.y1[c]);
        y2[c] = static_cast<float>(lanes.y2[c]);
    }
}

void FilterEffect::updateCoefficients(double resonanceFactor) {
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

// Entries at the same offset apply in queue order, the last one winning; each is consumed.
ControlEvent* FilterEffect::applyQueuedChanges(ControlEvent* next, int32_t sample) {
    for (; next->sampleOffset == sample; ++next) {
        cutoffTarget.store(next->cutoffRow, relaxed);
        resonanceTarget.store(next->resonance, relaxed);
        stepCountdown = next->stepInterval;
        stepInterval.store(next->stepInterval, relaxed);
        next->sampleOffset = -1;
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

// The replacing entry of each host interface.
template void FilterEffect::runBlock<FilterEffect::Output::replace>(float**, float**, int32_t,
                                                                    double);
template void FilterEffect::runBlock<FilterEffect::Output::addToSilence>(float**, float**, int32_t,
                                                                         double);
