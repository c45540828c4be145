#include "effect/filtercore.h"
#include "effect/stereo.h"

namespace {

constexpr double kSaturation = static_cast<double>(-0.1666666716337204f);

// The cubic soft saturator; no clamp, the curve folds over past its peak.
Stereo saturated(Stereo u) {
    return u + kSaturation * (u * u * u);
}

// Inputs of a smaller magnitude keep the saturator's output below 0.95, out of the limiter's
// range: the curve peaks at 0.943 (at the square root of 2) and falls to -0.105 at 2.5.
constexpr double kQuietSaturatorInput = 2.5;

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

// One block, its state in registers. The frames go in runs that end where the glide steps or a
// queued change lands, so that a frame within a run tests for neither. While the limiter rests
// (see Limiter::Chain::rests) a frame needs neither its table nor its envelope; the first frame
// that reaches the limiter's range ends the resting, and the rest of the block runs the whole
// limiter.
template <OutputMode mode>
class FilterCore::Block {
public:
    Block(FilterCore& core, const float* const* inputs, float* const* outputs,
          double resonanceFactor)
        : core(core),
          handoff(core.loopSide), inputs{inputs[0], inputs[1]}, outputs{outputs[0], outputs[1]},
          resonanceFactor(resonanceFactor), history(core.filter.history()),
          coefficients(&core.filter.coefficients()), gain(both(handoff.gainFactor())),
          limiter(core.outputLimiter.chain()), countdown(core.stepCountdown),
          next(core.eventQueue) {}

    [[gnu::always_inline]] void run(int32_t frames) {
        int32_t i = 0;
        if (limiter.rests()) {
            i = bothEqual(limiter.envelope, both(1.0)) ? runResting<true>(frames)
                                                       : runResting<false>(frames);
        }
        if (i < frames) {
            runLimiting(i, frames);
        }
        core.filter.keepHistory(history);
        core.outputLimiter.keep(limiter);
        core.stepCountdown = countdown;
    }

private:
    // The runs while the limiter rests; returns the frame after the last one they processed. The
    // history and the coefficients stay in registers across the runs. Once a frame reaches the
    // limiter's range, the rest of its run takes the whole limiter, and the resting ends. An
    // envelope at 1.0 (unity) scales nothing.
    template <bool unity>
    [[gnu::always_inline]] int32_t runResting(int32_t frames) {
        Filter::History h = history;
        Filter::Coefficients k = *coefficients;
        int32_t i = 0;
        bool resting = true;
        while (resting && i < frames) {
            const int32_t end = runEnd(i, frames);
            // Started before the run, the step's divisions are done when it ends.
            if (end - i == countdown) {
                prepareStep();
            }
            const int32_t reached = restingFrames<unity>(h, k, i, end);
            if (reached < end) {
                resting = false;
                limitedFrames(h, k, reached + 1, end);
            }
            countdown -= end - i;
            i = end;
            if (finishFrame(i - 1)) {
                k = *coefficients;
            }
        }
        history = h;
        return i;
    }

    // Frames i .. end - 1 while their levels stay below the limiter's range; returns the first
    // frame that reached it, which takes the whole limiter, or end. Only a frame whose saturator
    // input is not quiet needs its level tested.
    template <bool unity>
    [[gnu::always_inline]] int32_t restingFrames(Filter::History& h, const Filter::Coefficients& k,
                                                 int32_t i, int32_t end) {
        const Stereo envelope = limiter.envelope;
        for (; i < end; ++i) {
            const Stereo u = gain * Filter::applyQuickly(h, k, loadFrame(inputs, i));
            if (bothBelow(magnitude(u), both(kQuietSaturatorInput))) [[likely]] {
                const Stereo s = saturated(u);
                writeFrame<mode>(outputs, i, unity ? s : s * envelope);
            } else if (!restingLevel(saturated(u), i)) {
                return i;
            }
        }
        return end;
    }

    // Frame i's output at a level that the saturator's input does not vouch for: false where it
    // reached the limiter's range and took the whole limiter.
    bool restingLevel(Stereo s, int32_t i) {
        const bool rests = Limiter::Chain::restsAt(s);
        writeFrame<mode>(outputs, i, rests ? s * limiter.envelope : limiter.apply(s));
        return rests;
    }

    // Frames i .. end - 1 with the whole limiter, one after the other.
    [[gnu::always_inline]] void limitedFrames(Filter::History& h, const Filter::Coefficients& k,
                                              int32_t i, int32_t end) {
        for (; i < end; ++i) {
            const Stereo s = saturated(gain * Filter::applyQuickly(h, k, loadFrame(inputs, i)));
            writeFrame<mode>(outputs, i, limiter.apply(s));
        }
    }

    // Where the run from frame i ends: after the frame at which the countdown runs out or the
    // next queued change lands, or at the end of the block. A countdown that is not positive
    // never runs out.
    [[gnu::always_inline]] int32_t runEnd(int32_t i, int32_t frames) const {
        int32_t end = countdown > 0 && countdown < frames - i ? i + countdown : frames;
        const int32_t changeAt = next->sampleOffset;
        if (changeAt >= i && changeAt < end) {
            end = changeAt + 1;
        }
        return end;
    }

    // After frame i: the coefficient step prepared for it if the countdown ran out (true), then
    // the changes queued for the frame.
    [[gnu::always_inline]] bool finishFrame(int32_t i) {
        const bool stepped = countdown == 0;
        if (stepped) {
            takeStep();
        }
        if (next->sampleOffset == i) {
            applyQueuedChanges(i);
        }
        return stepped;
    }

    [[gnu::always_inline]] void prepareStep() {
        core.filter.prepareStep(handoff.cutoffTarget(), handoff.resonanceTarget(),
                                handoff.activeRows(), resonanceFactor);
    }
    [[gnu::always_inline]] void takeStep() {
        core.filter.takeStep();
        coefficients = &core.filter.coefficients();
        countdown = handoff.stepInterval();
    }

    // Entries at the same offset apply in queue order, the last one winning; each is consumed.
    [[gnu::always_inline]] void applyQueuedChanges(int32_t i) {
        for (; next->sampleOffset == i; ++next) {
            handoff.setCutoffTarget(next->cutoffRow);
            handoff.setResonanceTarget(next->resonance);
            countdown = next->stepInterval;
            handoff.setStepInterval(next->stepInterval);
            next->sampleOffset = -1;
        }
    }

    // Frames first .. frames - 1 with the whole limiter. Each frame passes through three stages
    // on three passes of the loop: the filter, the gain and the saturator; the limiter's table;
    // the limiter's envelope and the output. A pass works on three frames at once, so the
    // filter's and the envelope's recurrences overlap instead of waiting for each other. A
    // frame's output is written two passes after its input was read, so a host may pass the same
    // buffers for both.
    [[gnu::always_inline]] void runLimiting(int32_t first, int32_t frames) {
        // The first two passes fill the pipeline.
        limitingPass<0>(first);
        if (frames - first >= 2) {
            limitingPass<1>(first + 1);
        }
        for (int32_t i = first + 2; i < frames; ++i) {
            limitingPass<2>(i);
        }
        if (frames - first >= 2) {
            writeFrame<mode>(outputs, frames - 2, limitLookedUp());
        }
        lookUpGain();
        writeFrame<mode>(outputs, frames - 1, limitLookedUp());
    }

    // Frame i enters the pipeline, and the frames before it move on where the pipeline holds
    // them. Always inline: a call would spill every register of the loop at each frame.
    template <int32_t framesHeld>
    [[gnu::always_inline]] void limitingPass(int32_t i) {
        // The coefficient step due after this frame does not depend on it: started first, its
        // divisions are done when it is due.
        const bool stepDue = --countdown == 0;
        if (stepDue) {
            prepareStep();
        }
        if constexpr (framesHeld == 2) {
            writeFrame<mode>(outputs, i - 2, limitLookedUp());
        }
        if constexpr (framesHeld >= 1) {
            lookUpGain();
        }
        saturatedFrame =
            saturated(gain * Filter::applyQuickly(history, *coefficients, loadFrame(inputs, i)));
        if (stepDue) {
            takeStep();
        }
        if (next->sampleOffset == i) {
            applyQueuedChanges(i);
        }
    }

    void lookUpGain() {
        lookedUpFrame = saturatedFrame;
        lookedUpGain = limiter.gainFor(saturatedFrame);
    }
    Stereo limitLookedUp() { return limiter.limit(lookedUpFrame, lookedUpGain); }

    FilterCore& core;
    // A copy, so that the shared state's address stays in a register.
    ControlHandoff::Loop handoff;
    // Copies the compiler can keep in registers: nothing the loop stores can change them.
    const float* const inputs[2];
    float* const outputs[2];
    const double resonanceFactor;
    Filter::History history;
    const Filter::Coefficients* coefficients;
    const Stereo gain;
    Limiter::Chain limiter;
    // Kept in a register for the block, so that nothing another thread writes can move the loop
    // outside the block.
    int32_t countdown;
    ControlEvent* next;
    // The limiting pipeline: the newest frame through the saturator, the frame before it and
    // its gain from the limiter's table.
    Stereo saturatedFrame{};
    Stereo lookedUpFrame{};
    Stereo lookedUpGain{};
};

template <OutputMode mode>
void FilterCore::process(const float* const* inputs, float* const* outputs, int32_t frames,
                         double resonanceFactor) {
    takeRequests();
    if (frames > 0) {
        Block<mode>(*this, inputs, outputs, resonanceFactor).run(frames);
    }
    filter.flushDenormalHistory();
}

// What other threads asked since the last block (see ControlHandoff). Whatever they wrote
// meanwhile, the loop's own state changes only here.
void FilterCore::takeRequests() {
    const uint32_t asked = loopSide.take();
    if (asked == 0) {
        return;
    }
    if ((asked & ControlHandoff::kNewTables) != 0) {
        outputLimiter.setRelease(kLimiterReleaseMs, loopSide.tables().sampleRate);
        filter.forgetCoefficientSources();
    }
    if ((asked & ControlHandoff::kProgramStart) != 0) {
        const ControlHandoff::ProgramStart start = loopSide.programStart();
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

// Every entry's output mode: accumulating, replacing, and adding to a cleared buffer.
template void FilterCore::process<OutputMode::add>(const float* const*, float* const*, int32_t,
                                                   double);
template void FilterCore::process<OutputMode::replace>(const float* const*, float* const*, int32_t,
                                                       double);
template void FilterCore::process<OutputMode::addToSilence>(const float* const*, float* const*,
                                                            int32_t, double);
