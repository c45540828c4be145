// The filter as every plug-in format drives it: the sample rate, switching on, parameter changes
// and program loads from host threads, MIDI notes and controllers at frame offsets, and the audio
// loop that turns them into sound. It knows nothing of any format's records, of the bank of
// programs or of an editor; a format's face keeps those and talks to the core through this.
#pragma once

#include "effect/controlhandoff.h"
#include "effect/filter.h"
#include "effect/limiter.h"
#include "effect/parameters.h"

#include <atomic>
#include <cstdint>

// What each output frame of a block receives: the processed frame added to what the buffer
// holds, the processed frame alone, or what adding it to a cleared buffer gives (+0.0 plus the
// frame: a -0.0 frame comes out as +0.0, exactly as an accumulating host's cleared buffer makes
// it, so both entries write the same bits).
enum class OutputMode { add, replace, addToSilence };

// One timed change queued by the MIDI input; sampleOffset -1 ends the queue.
struct ControlEvent {
    int32_t sampleOffset;
    int32_t resonance;
    int32_t cutoffRow;
    int32_t stepInterval;
};

constexpr int32_t kEventQueueCapacity = 1024;

// The resonance's weight in the filter's Q on the accumulating entry. The replacing entry of
// today's hosts and every other format's processing use it too, so that all sound the same.
constexpr double kResonanceFactor = 0.4;

// Told of the controller that ended learning, on the audio thread that delivered it: the
// parameter learning was armed for, the controller and the frame of the block it arrived at.
class LearnListener {
public:
    virtual void controllerLearned(int32_t parameter, int32_t controller, int32_t frame) = 0;

protected:
    ~LearnListener() = default;
};

class FilterCore {
public:
    static constexpr float kDefaultSampleRate = 44100.0f;
    // A host's event list is read up to this position, so that every event keeps one queue
    // entry and the end mark fits.
    static constexpr int32_t kEventsReadPerBlock = kEventQueueCapacity - 2;

    // Ready to process at once, as after setSampleRate and resume; parameters at their zero
    // state until a program is loaded.
    explicit FilterCore(float sampleRate = kDefaultSampleRate);

    // The dispatcher thread. A rate that is zero, negative or not finite would turn every
    // coefficient into NaN and silence the filter for good: refused (false), the rate in force
    // stays. Accepted, the loop takes the new tables with a reset limiter and cleared history at
    // its next block (see ControlHandoff); the step intervals follow when a program is loaded.
    bool setSampleRate(float rate);
    // The dispatcher thread: the rate the step intervals derive from from now on, without new
    // tables (a host that tells the rate with the block size asks for no rebuild). The same
    // refusal as setSampleRate's.
    bool storeSampleRate(float rate);
    float getSampleRate() const { return sampleRate.load(std::memory_order_relaxed); }
    // Switching on: the loop empties its event queue, clears the history and resets the limiter
    // at its next block. Events given after this call and before that block are kept.
    void resume();

    // Any host thread: a parameter's new value 0..1 (anything else is clamped, not a number is
    // 0). Smoothness follows the squared law; a controller parameter assigns controller n/128.
    // Returns what the parameter holds now (storedValue), for the caller to keep.
    float setParameter(int32_t index, float value);
    // Any host thread: a program's eight values. The glide jumps to its cutoff and resonance at
    // the next coefficient step, Smoothness follows the linear law, and the history is cleared.
    void loadProgram(const float (&values)[kNumParams]);
    // Any host thread: the first run at a set of values, as a host that loads program 0 and then
    // sets every parameter gets it, except that the glide starts at the values' cutoff and
    // resonance instead of gliding there from program 0's: a restored session sounds as saved
    // from its first block. The first coefficient step comes when program 0's start has it.
    void startAt(const float (&values)[kNumParams]);

    // The controller number (0..127, kControllerOff for none) a controller parameter assigns.
    int32_t assignedController(int32_t index) const {
        return assignments[index - kCcCutoff].load(std::memory_order_relaxed);
    }

    // The listener hears each learned controller; set it before the loop runs.
    void setLearnListener(LearnListener* listener) { learnListener = listener; }
    // Any thread: the next controller number that arrives (all-notes-off excepted) is learned
    // for `parameter`, a controller parameter or kNoParameter (whoever listens knows where it
    // goes). The assignment stays the caller's to make.
    static constexpr int32_t kNoParameter = -1;
    void learnController(int32_t parameter);
    // Any thread: learning armed and not yet ended is taken back; nothing is reported.
    void stopLearning();
    // The controller learned last, -1 while learning is armed, kControllerOff before any.
    int32_t learnedController() const { return learned.load(std::memory_order_relaxed); }

    // The audio thread, before the block they belong to: beginEvents, then the block's MIDI
    // events in the host's order, each as its status and data bytes at a frame of the block.
    void beginEvents();
    void addMidiEvent(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2);

    // The audio thread: one block of two channels; inputs and outputs may be the same buffers.
    // resonanceFactor weighs the resonance step in the filter's Q.
    template <OutputMode mode>
    void process(const float* const* inputs, float* const* outputs, int32_t frames,
                 double resonanceFactor);

private:
    // The tests' literal twin runs the per-sample algorithm on the loop's own state, which no
    // public call exposes between two frames.
    friend struct ReferenceFilter;

    static constexpr float kLimiterReleaseMs = 75.0f;

    // The audio loop over one block, its state in registers (defined with the loop).
    template <OutputMode mode>
    class Block;

    // Samples between coefficient steps for a smoothness of 0..1, saturated at any rate.
    int32_t squaredLawInterval(double smoothness) const;
    void takeRequests();
    void readControlChange(int32_t frame, int32_t controller, int32_t value);
    void learn(int32_t frame, int32_t controller);
    void queueChange();
    void emptyEventQueue();
    std::atomic<int32_t>& assignment(int32_t index) { return assignments[index - kCcCutoff]; }

    ControlHandoff handoff;
    // The handoff as the host threads reach it (the setters and loadProgram) and as the audio loop
    // does (beginEvents, the MIDI input and the block).
    ControlHandoff::Host hostSide{handoff};
    ControlHandoff::Loop loopSide{handoff};
    std::atomic<float> sampleRate;
    // The controllers of kCcCutoff..kCcSmooth.
    std::atomic<int32_t> assignments[kCcSmooth - kCcCutoff + 1] = {kControllerOff, kControllerOff,
                                                                   kControllerOff};
    std::atomic<int32_t> learned{kControllerOff};
    std::atomic<int32_t> learningFor{kNoParameter};
    LearnListener* learnListener = nullptr;

    // The audio loop's own state: only the loop writes it, other threads ask by request.
    Filter filter;
    int32_t stepCountdown = 1;
    Limiter outputLimiter;
    // Written by the MIDI input on the audio thread before the block, consumed by the loop.
    int32_t eventCount = 0;
    ControlEvent running{};
    ControlEvent eventQueue[kEventQueueCapacity];
};
