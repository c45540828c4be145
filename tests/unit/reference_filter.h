// The signal path written sample by sample, exactly in the order the algorithm states it, with
// every field read from and written back to the effect at each use. The tests run it on one
// instance and the optimised processing on a twin to prove that both give the same bits.
#pragma once

#include "effect/AGain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

// A host that answers the version query and nothing else.
inline intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct ReferenceFilter {
    static void process(FilterEffect& fx, float** inputs, float** outputs, int32_t frames) {
        run<Output::add>(fx, inputs, outputs, frames, 0.4);
    }

    // As the effect announces it: where it processes in place, what the accumulating entry adds
    // to a cleared buffer; otherwise a path of its own.
    static void processReplacing(FilterEffect& fx, float** inputs, float** outputs,
                                 int32_t frames) {
        if ((fx.getAeffect()->flags & effFlagsCanReplacing) != 0) {
            run<Output::addToSilence>(fx, inputs, outputs, frames, 0.4);
        } else {
            run<Output::replace>(fx, inputs, outputs, frames, 0.2);
        }
    }

    // What the tests observe of the working state.
    struct Glide {
        int32_t cutoffRow, cutoffTarget, resonanceStep, resonanceTarget, stepCountdown,
            stepInterval;
        float gainFactor;
    };
    // What another thread asked of the audio loop's state counts as done.
    static Glide glide(FilterEffect& fx) {
        fx.takeRequests();
        return {fx.filter.cutoffRow,        fx.cutoffTarget.load(relaxed),
                fx.filter.resonanceStep,    fx.resonanceTarget.load(relaxed),
                fx.stepCountdown,           fx.stepInterval.load(relaxed),
                fx.gainFactor.load(relaxed)};
    }
    static bool historyIsZero(FilterEffect& fx, int c) {
        fx.takeRequests();
        const Filter& f = fx.filter;
        return f.x1[c] == 0.0f && f.x2[c] == 0.0f && f.y1[c] == 0.0f && f.y2[c] == 0.0f;
    }
    static bool usesHighpass(const FilterEffect& fx) {
        return fx.activeTable.load(relaxed) == fx.highpassTable;
    }
    // The entries written by the last processEvents, without the end mark.
    static std::vector<ControlEvent> queue(const FilterEffect& fx) {
        std::vector<ControlEvent> entries(fx.eventQueue, fx.eventQueue + fx.eventCount);
        EXPECT_EQ(fx.eventQueue[fx.eventCount].sampleOffset, -1) << "end mark";
        return entries;
    }
    static const Limiter& limiter(FilterEffect& fx) {
        fx.takeRequests();
        return fx.outputLimiter;
    }

private:
    static constexpr auto relaxed = std::memory_order_relaxed;
    using Output = OutputMode;

    template <Output output>
    static void run(FilterEffect& fx, float** inputs, float** outputs, int32_t frames,
                    double resonanceFactor) {
        fx.takeRequests();
        Filter& f = fx.filter;
        ControlEvent* next = fx.eventQueue;
        for (int32_t i = 0; i < frames; ++i) {
            const double gain = fx.gainFactor.load(relaxed);
            double saturated[2];
            for (int c = 0; c < 2; ++c) {
                const double x = inputs[c][i];
                const Filter::Coefficients& k = f.coefficients();
                const double y = k.b1[c] * f.x1[c] + k.b2[c] * f.x2[c] - k.a1[c] * f.y1[c] -
                                 k.a2[c] * f.y2[c] + k.b0[c] * x;
                const double u = gain * y;
                saturated[c] = u + static_cast<double>(-0.1666666716337204f) * (u * u * u);
                f.x2[c] = f.x1[c];
                f.x1[c] = static_cast<float>(x);
                f.y2[c] = f.y1[c];
                f.y1[c] = static_cast<float>(y);
            }
            for (int c = 0; c < 2; ++c) {
                const double out = limit(fx.outputLimiter, c, saturated[c]);
                if constexpr (output == Output::add) {
                    outputs[c][i] = static_cast<float>(outputs[c][i] + out);
                } else if constexpr (output == Output::addToSilence) {
                    outputs[c][i] = static_cast<float>(0.0f + out);
                } else {
                    outputs[c][i] = static_cast<float>(out);
                }
            }
            stepCoefficients(fx, resonanceFactor);
            while (next->sampleOffset == i) {
                fx.cutoffTarget.store(next->cutoffRow, relaxed);
                fx.resonanceTarget.store(next->resonance, relaxed);
                fx.stepCountdown = next->stepInterval;
                fx.stepInterval.store(next->stepInterval, relaxed);
                next->sampleOffset = -1;
                ++next;
            }
        }
        for (int c = 0; c < 2; ++c) {
            if (!(std::fabs(static_cast<double>(f.y1[c])) > 1.1754943508222875e-38)) {
                f.x1[c] = f.x2[c] = f.y1[c] = f.y2[c] = 0.0f;
            }
        }
    }

    static double limit(Limiter& limiter, int c, double s) {
        const float* table = limiter.getGainTable();
        double index = std::fabs(s) * 4096.0;
        if (!(index <= 32760.0)) {
            index = 32760.0;
        }
        const auto k = static_cast<int32_t>(index);
        const double f = index - k;
        const double g = table[k] + f * (table[k + 1] - static_cast<double>(table[k]));
        const float envelope = limiter.getEnvelope(c);
        const float next =
            g < envelope
                ? static_cast<float>(g)
                : static_cast<float>(envelope + (g - envelope) * limiter.getReleaseCoefficient());
        limiter.setEnvelope(c, next);
        return s * next;
    }

    static int32_t toward(int32_t current, int32_t target) {
        if (current < target) {
            return current + 1;
        }
        return current > target ? current - 1 : current;
    }

    static void stepCoefficients(FilterEffect& fx, double resonanceFactor) {
        if (--fx.stepCountdown != 0) {
            return;
        }
        fx.stepCountdown = fx.stepInterval.load(relaxed);
        fx.filter.cutoffRow = toward(fx.filter.cutoffRow, fx.cutoffTarget.load(relaxed));
        fx.filter.resonanceStep = toward(fx.filter.resonanceStep, fx.resonanceTarget.load(relaxed));
        const double q = fx.filter.resonanceStep * resonanceFactor + 1.414213562373095;
        const CoefficientRow& row = fx.activeTable.load(relaxed)[fx.filter.cutoffRow];
        const double alpha = row.sinW / q;
        const double n = 1.0 / (1.0 + alpha);
        Filter::Coefficients& k = fx.filter.coefficients();
        k.a2 = Filter::asFloat((1.0 - alpha) * n);
        k.a1 = Filter::asFloat(row.a1 * n);
        k.b0 = Filter::asFloat(row.b0 * n);
        k.b1 = Filter::asFloat(row.b1 * n);
        k.b2 = Filter::asFloat(row.b2 * n);
    }
};
