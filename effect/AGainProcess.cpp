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

// The loop's state in registers for a block. A frame goes through the filter, the gain and the
// saturator, then waits while the next frame does the same, and only then goes through the
// limiter: the filter's and the limiter's recurrences overlap instead of waiting for each other.
// A frame's input is read before its output is written, so a host may pass the same buffers.
struct FilterEffect::BlockLanes {
    Filter::History history;
    Stereo gain;
    Limiter::Chain limiter;
    Stereo waiting; // the last frame through the saturator

    void enter(const Filter& filter, Stereo x) {
        waiting = saturated(gain * filter.apply(history, x));
    }
    Stereo finishWaiting() { return limiter.apply(waiting); }
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
    BlockLanes lanes{filter.history(), both(gainFactor.load(relaxed)), outputLimiter.chain(), {}};
    int32_t countdown = stepCountdown;
    ControlEvent* next = eventQueue;
    lanes.enter(filter, loadFrame(inputs, 0));
    afterSample(0, countdown, next, resonanceFactor);
    for (int32_t i = 1; i < sampleFrames; ++i) {
        const Stereo limited = lanes.finishWaiting();
        lanes.enter(filter, loadFrame(inputs, i));
        writeFrame<mode>(outputs, i - 1, limited);
        afterSample(i, countdown, next, resonanceFactor);
    }
    writeFrame<mode>(outputs, sampleFrames - 1, lanes.finishWaiting());
    filter.keepHistory(lanes.history);
    outputLimiter.keep(lanes.limiter);
    stepCountdown = countdown;
}

// The coefficient step when the countdown runs out, then the changes queued for this sample.
// Always inline: a call would spill every register of the loop at each sample.
[[gnu::always_inline]] inline void FilterEffect::afterSample(int32_t sample, int32_t& countdown,
                                                             ControlEvent*& next,
                                                             double resonanceFactor) {
    if (--countdown == 0) {
        countdown = stepInterval.load(relaxed);
        filter.coefficients = filter.step(cutoffTarget.load(relaxed), resonanceTarget.load(relaxed),
                                          activeTable.load(relaxed), resonanceFactor);
    }
    if (next->sampleOffset == sample) {
        next = applyQueuedChanges(next, sample, countdown);
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
