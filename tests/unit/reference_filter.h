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

    // The effect owns its editor: `editor` takes the panel's place and is deleted with the effect.
    static void replaceEditor(FilterEffect& fx, EffectEditor* editor, EditorNotices* notices) {
        fx.editorNotices = nullptr;
        delete fx.getEditor();
        fx.setEditor(editor);
        fx.editorNotices = notices;
    }

    // Switched off and on, then started at `values`, as the LV2 build starts at its ports.
    static void restartAt(FilterEffect& fx, const float (&values)[kNumParams]) {
        fx.core.resume();
        fx.core.startAt(values);
    }

    // What the tests observe of the working state.
    struct Glide {
        int32_t cutoffRow, cutoffTarget, resonanceStep, resonanceTarget, stepCountdown,
            stepInterval;
        float gainFactor;
    };
    // What another thread asked of the audio loop's state counts as done.
    static Glide glide(FilterEffect& fx) {
        FilterCore& core = fx.core;
        core.takeRequests();
        return {core.filter.getCutoffRow(),
                core.loopSide.cutoffTarget(),
                core.filter.getResonanceStep(),
                core.loopSide.resonanceTarget(),
                core.stepCountdown,
                core.loopSide.stepInterval(),
                core.loopSide.gainFactor()};
    }
    static bool historyIsZero(FilterEffect& fx, int c) {
        fx.core.takeRequests();
        const Filter::History h = fx.core.filter.history();
        return h.x1[c] == 0.0 && h.x2[c] == 0.0 && h.y1[c] == 0.0 && h.y2[c] == 0.0;
    }
    static bool usesHighpass(const FilterEffect& fx) {
        const ControlHandoff::Loop& loop = fx.core.loopSide;
        return loop.activeRows() == loop.tables().highpass;
    }
    // The entries written by the last processEvents, without the end mark.
    static std::vector<ControlEvent> queue(const FilterEffect& fx) {
        const FilterCore& core = fx.core;
        std::vector<ControlEvent> entries(core.eventQueue, core.eventQueue + core.eventCount);
        EXPECT_EQ(core.eventQueue[core.eventCount].sampleOffset, -1) << "end mark";
        return entries;
    }
    static const Limiter& limiter(FilterEffect& fx) {
        fx.core.takeRequests();
        return fx.core.outputLimiter;
    }

private:
    using Output = OutputMode;

    template <Output output>
    static void run(FilterEffect& fx, float** inputs, float** outputs, int32_t frames,
                    double resonanceFactor) {
        FilterCore& core = fx.core;
        core.takeRequests();
        Filter& f = core.filter;
        ControlEvent* next = core.eventQueue;
        for (int32_t i = 0; i < frames; ++i) {
            const double gain = core.loopSide.gainFactor();
            const Filter::History h = f.history();
            Filter::History moved = h;
            const Filter::Coefficients& k = f.coefficients();
            double saturated[2];
            for (int c = 0; c < 2; ++c) {
                const double x = inputs[c][i];
                const double y = k.b1[c] * h.x1[c] + k.b2[c] * h.x2[c] - k.a1[c] * h.y1[c] -
                                 k.a2[c] * h.y2[c] + k.b0[c] * x;
                const double u = gain * y;
                saturated[c] = u + static_cast<double>(-0.1666666716337204f) * (u * u * u);
                moved.x2[c] = h.x1[c];
                moved.x1[c] = static_cast<float>(x);
                moved.y2[c] = h.y1[c];
                moved.y1[c] = static_cast<float>(y);
            }
            f.keepHistory(moved);
            for (int c = 0; c < 2; ++c) {
                const double out = limit(core.outputLimiter, c, saturated[c]);
                if constexpr (output == Output::add) {
                    outputs[c][i] = static_cast<float>(outputs[c][i] + out);
                } else if constexpr (output == Output::addToSilence) {
                    outputs[c][i] = static_cast<float>(0.0f + out);
                } else {
                    outputs[c][i] = static_cast<float>(out);
                }
            }
            stepCoefficients(core, resonanceFactor);
            while (next->sampleOffset == i) {
                core.loopSide.setCutoffTarget(next->cutoffRow);
                core.loopSide.setResonanceTarget(next->resonance);
                core.stepCountdown = next->stepInterval;
                core.loopSide.setStepInterval(next->stepInterval);
                next->sampleOffset = -1;
                ++next;
            }
        }
        const Filter::History h = f.history();
        for (int c = 0; c < 2; ++c) {
            if (!(std::fabs(h.y1[c]) > 1.1754943508222875e-38)) {
                Filter::History cleared = f.history();
                cleared.x1[c] = cleared.x2[c] = cleared.y1[c] = cleared.y2[c] = 0.0;
                f.keepHistory(cleared);
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

    // The step as the algorithm states it; the filter's own step must give the same bits.
    static void stepCoefficients(FilterCore& core, double resonanceFactor) {
        if (--core.stepCountdown != 0) {
            return;
        }
        core.stepCountdown = core.loopSide.stepInterval();
        Filter& f = core.filter;
        const int32_t row = toward(f.getCutoffRow(), core.loopSide.cutoffTarget());
        const int32_t step = toward(f.getResonanceStep(), core.loopSide.resonanceTarget());
        const double q = step * resonanceFactor + 1.414213562373095;
        const CoefficientRow& r = core.loopSide.activeRows()[row];
        const double alpha = r.sinW / q;
        const double n = 1.0 / (1.0 + alpha);
        const float expected[] = {static_cast<float>(r.b0 * n), static_cast<float>(r.b1 * n),
                                  static_cast<float>(r.b2 * n), static_cast<float>(r.a1 * n),
                                  static_cast<float>((1.0 - alpha) * n)};
        f.prepareStep(core.loopSide.cutoffTarget(), core.loopSide.resonanceTarget(),
                      core.loopSide.activeRows(), resonanceFactor);
        f.takeStep();
        const Filter::Coefficients& k = f.coefficients();
        const Stereo taken[] = {k.b0, k.b1, k.b2, k.a1, k.a2};
        for (int term = 0; term < 5; ++term) {
            if (taken[term][0] != expected[term] || taken[term][1] != expected[term]) {
                ADD_FAILURE() << "coefficient " << term << " at row " << row;
            }
        }
    }
};
