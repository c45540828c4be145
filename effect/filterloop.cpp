#include "effect/filtercore.h"
#include "effect/stereo.h"

#include <algorithm>

namespace {

constexpr double kSaturation = static_cast<double>(-0.1666666716337204f);

// The cubic soft saturator; no clamp, the curve folds over past its peak.
Stereo saturated(Stereo u) {
    return u + kSaturation * (u * u * u);
}

template <OutputMode mode>
void writeFrame(float* const* outputs, int32_t i, Stereo limited) {
    if constexpr (mode == OutputMode::add) {
        storeFrame(outputs, i, loadFrame(outputs, i) + limited);
    } else if constexpr (mode == OutputMode::addToSilence) {
        storeFrame(outputs, i, both(0.0) + limited);
    } else {
        storeFrame(outputs, i, limited);
    }
}

} // namespace

// The loop's state in registers for a block. Each frame passes through three stages on three
// passes of the loop: the filter, the gain and the saturator; the limiter's table; the limiter's
// envelope and the output. A pass works on three frames at once, so the filter's and the
// envelope's recurrences overlap instead of waiting for each other. A frame's output is written
// two passes after its input was read, so a host may pass the same buffers for both.
struct FilterCore::Pipeline {
    Filter::History history;
    const Filter::Coefficients* coefficients;
    Stereo gain;
    Limiter::Chain limiter;
    Stereo saturatedFrame{}; // the newest frame, through the saturator
    Stereo lookedUpFrame{};  // the frame before it
    Stereo lookedUpGain{};   // and its gain from the limiter's table

    void enter(Stereo x) {
        saturatedFrame = saturated(gain * Filter::apply(history, *coefficients, x));
    }
    void lookUpGain() {
        lookedUpFrame = saturatedFrame;
        lookedUpGain = limiter.gainFor(saturatedFrame);
    }
    Stereo limitLookedUp() { return limiter.limit(lookedUpFrame, lookedUpGain); }
};

template <OutputMode mode>
void FilterCore::process(const float* const* inputs, float* const* outputs, int32_t frames,
                         double resonanceFactor) {
    takeRequests();
    if (frames > 0) {
        runFrames<mode>(inputs, outputs, frames, resonanceFactor);
    }
    filter.flushDenormalHistory();
}

// Every register the block needs stays in one for the whole block; the countdown too, so that
// nothing another thread writes can move the loop outside the block.
template <OutputMode mode>
void FilterCore::runFrames(const float* const* hostInputs, float* const* hostOutputs,
                           int32_t sampleFrames, double resonanceFactor) {
    // Copies the compiler can keep in registers: nothing the loop stores can change them.
    const float* const inputs[2] = {hostInputs[0], hostInputs[1]};
    float* const outputs[2] = {hostOutputs[0], hostOutputs[1]};
    Pipeline pipeline{filter.history(), &filter.coefficients(), both(handoff.gainFactor()),
                      outputLimiter.chain()};
    int32_t countdown = stepCountdown;
    ControlEvent* next = eventQueue;
    // The first two passes fill the pipeline.
    runPass<mode, 0>(pipeline, inputs, outputs, 0, countdown, next, resonanceFactor);
    if (sampleFrames >= 2) {
        runPass<mode, 1>(pipeline, inputs, outputs, 1, countdown, next, resonanceFactor);
    }
    for (int32_t i = 2; i < sampleFrames; ++i) {
        runPass<mode, 2>(pipeline, inputs, outputs, i, countdown, next, resonanceFactor);
    }
    if (sampleFrames >= 2) {
        writeFrame<mode>(outputs, sampleFrames - 2, pipeline.limitLookedUp());
    }
    pipeline.lookUpGain();
    writeFrame<mode>(outputs, sampleFrames - 1, pipeline.limitLookedUp());
    filter.keepHistory(pipeline.history);
    outputLimiter.keep(pipeline.limiter);
    stepCountdown = countdown;
}

// Frame i enters the pipeline, and the frames before it move on where the pipeline holds them.
// Always inline: a call would spill every register of the loop at each frame.
template <OutputMode mode, int32_t framesHeld>
[[gnu::always_inline]] inline void
FilterCore::runPass(Pipeline& pipeline, const float* const* inputs, float* const* outputs,
                    int32_t i, int32_t& countdown, ControlEvent*& next, double resonanceFactor) {
    // The coefficient step due after this frame does not depend on it: started first, its
    // divisions are done when it is due.
    const bool stepDue = --countdown == 0;
    if (stepDue) {
        filter.prepareStep(handoff.cutoffTarget(), handoff.resonanceTarget(), handoff.activeRows(),
                           resonanceFactor);
    }
    if constexpr (framesHeld == 2) {
        writeFrame<mode>(outputs, i - 2, pipeline.limitLookedUp());
    }
    if constexpr (framesHeld >= 1) {
        pipeline.lookUpGain();
    }
    pipeline.enter(loadFrame(inputs, i));
    if (stepDue) {
        filter.takeStep();
        pipeline.coefficients = &filter.coefficients();
        countdown = handoff.stepInterval();
    }
    if (next->sampleOffset == i) {
        next = applyQueuedChanges(next, i, countdown);
    }
}

// What other threads asked since the last block (see ControlHandoff). Whatever they wrote
// meanwhile, the loop's own state changes only here.
void FilterCore::takeRequests() {
    const uint32_t asked = handoff.take();
    if (asked == 0) {
        return;
    }
    if ((asked & ControlHandoff::kNewTables) != 0) {
        outputLimiter.setRelease(kLimiterReleaseMs, handoff.tables().sampleRate);
    }
    if ((asked & ControlHandoff::kProgramStart) != 0) {
        const ControlHandoff::ProgramStart start = handoff.programStart();
        filter.startAt(start.cutoffRow, start.resonanceStep);
        stepCountdown = start.stepCountdown;
    }
    if ((asked & ControlHandoff::kHistoryClear) != 0) {
        filter.clearHistory();
    }
    if ((asked & ControlHandoff::kLimiterReset) != 0) {
        outputLimiter.reset();
    }
    if ((asked & ControlHandoff::kQueueClear) != 0) {
        emptyEventQueue();
    }
}

// Entries at the same offset apply in queue order, the last one winning; each is consumed.
inline ControlEvent* FilterCore::applyQueuedChanges(ControlEvent* next, int32_t sample,
                                                    int32_t& countdown) {
    for (; next->sampleOffset == sample; ++next) {
        handoff.setCutoffTarget(next->cutoffRow);
        handoff.setResonanceTarget(next->resonance);
        countdown = next->stepInterval;
        handoff.setStepInterval(next->stepInterval);
        next->sampleOffset = -1;
    }
    return next;
}

// The accumulating and both replacing entries of the VST 2 face; LV2's run replaces too.
template void FilterCore::process<OutputMode::add>(const float* const*, float* const*, int32_t,
                                                   double);
template void FilterCore::process<OutputMode::replace>(const float* const*, float* const*, int32_t,
                                                       double);
template void FilterCore::process<OutputMode::addToSilence>(const float* const*, float* const*,
                                                            int32_t, double);
