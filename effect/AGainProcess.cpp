#include "effect/AGain.h"
#include "effect/stereo.h"

#include <algorithm>

namespace {

constexpr double kSaturation = static_cast<double>(-0.1666666716337204f);
constexpr auto relaxed = std::memory_order_relaxed;

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
struct FilterEffect::Pipeline {
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

void FilterEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    runBlock<OutputMode::add>(inputs, outputs, sampleFrames, kAccumulatingResonanceFactor);
}

template <OutputMode mode>
void FilterEffect::runBlock(float** inputs, float** outputs, int32_t sampleFrames,
                            double resonanceFactor) {
    takeRequests();
    if (sampleFrames > 0) {
        runFrames<mode>(inputs, outputs, sampleFrames, resonanceFactor);
    }
    filter.flushDenormalHistory();
}

// Every register the block needs stays in one for the whole block; the countdown too, so that
// nothing another thread writes can move the loop outside the block.
template <OutputMode mode>
void FilterEffect::runFrames(float** hostInputs, float** hostOutputs, int32_t sampleFrames,
                             double resonanceFactor) {
    // Copies the compiler can keep in registers: nothing the loop stores can change them.
    float* const inputs[2] = {hostInputs[0], hostInputs[1]};
    float* const outputs[2] = {hostOutputs[0], hostOutputs[1]};
    Pipeline pipeline{filter.history(), &filter.coefficients(), both(gainFactor.load(relaxed)),
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
FilterEffect::runPass(Pipeline& pipeline, float* const* inputs, float* const* outputs, int32_t i,
                      int32_t& countdown, ControlEvent*& next, double resonanceFactor) {
    // The coefficient step due after this frame does not depend on it: started first, its
    // divisions are done when it is due.
    const bool stepDue = --countdown == 0;
    if (stepDue) {
        filter.prepareStep(cutoffTarget.load(relaxed), resonanceTarget.load(relaxed),
                           activeTable.load(relaxed), resonanceFactor);
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
        countdown = stepInterval.load(relaxed);
    }
    if (next->sampleOffset == i) {
        next = applyQueuedChanges(next, i, countdown);
    }
}

// What other threads asked since the last block: a program's start, cleared history, a reset
// limiter. Whatever they wrote meanwhile, the loop's own state changes only here.
void FilterEffect::takeRequests() {
    if (requests.load(relaxed) == 0) {
        return;
    }
    const uint32_t asked = requests.exchange(0, std::memory_order_acquire);
    if ((asked & kProgramStart) != 0) {
        filter.cutoffRow = requestedStart.cutoffRow.load(relaxed);
        filter.resonanceStep = requestedStart.resonanceStep.load(relaxed);
        stepCountdown = requestedStart.stepCountdown.load(relaxed);
    }
    if ((asked & kHistoryClear) != 0) {
        filter.clearHistory();
    }
    if ((asked & kLimiterReset) != 0) {
        outputLimiter.reset();
    }
}

// Entries at the same offset apply in queue order, the last one winning; each is consumed.
inline ControlEvent* FilterEffect::applyQueuedChanges(ControlEvent* next, int32_t sample,
                                                      int32_t& countdown) {
    for (; next->sampleOffset == sample; ++next) {
        cutoffTarget.store(next->cutoffRow, relaxed);
        resonanceTarget.store(next->resonance, relaxed);
        countdown = next->stepInterval;
        stepInterval.store(next->stepInterval, relaxed);
        next->sampleOffset = -1;
    }
    return next;
}

// The replacing entry of each host interface.
template void FilterEffect::runBlock<OutputMode::replace>(float**, float**, int32_t, double);
template void FilterEffect::runBlock<OutputMode::addToSilence>(float**, float**, int32_t, double);
