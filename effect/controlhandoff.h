// The handoff from host threads to the audio loop: everything the host's dispatcher and
// automation threads, the editor's UI thread and the MIDI input write for the loop to use. Its
// two sides are types of their own, ControlHandoff::Host and ControlHandoff::Loop, each with only
// what that side may do; the shared state is reached through them alone.
//
// What a host thread may write, at any time, without a lock:
// - The live values: gain factor, cutoff and resonance targets, step interval, filter type. Each
//   is one relaxed 32-bit atomic that the loop reads where it uses it: the gain at the start of a
//   block, the targets and the filter type when it prepares a coefficient step (before the
//   frames the step ends), the interval when it takes the step. So a change takes effect at the
//   next block or step. The loop stores the targets and the interval itself when a queued MIDI
//   change lands; whichever store comes later wins.
// - Requests: a program's start (row, step and countdown written first, as one word), cleared
//   history, a reset limiter, an emptied event queue, the tables of a new sample rate (with the
//   index of the set that holds them, in the same word). A request is a bit set with release
//   after what it carries is written.
//
// What the loop takes at the start of a block: every request at once (take), so that its own
// state (the filter's glide and history, the limiter, the event queue, the tables it reads)
// changes only between blocks.
//
// A sample-rate change while the loop runs: the new rate's tables are built in the set the loop
// is not reading, and the loop switches at the start of its next block; the block under way ends
// on the old rate. A second change before the loop has switched takes its request back first, so
// the set it rebuilds is never the one being read. The switch and the set to switch to travel in
// one word, so the loop's take and a publisher's take-back are each one exchange on it: either
// the loop switched (and reads the set published last) or it did not (and reads the other). One
// thread at a time may change the rate (the host's dispatcher thread).
#pragma once

#include "effect/filtertables.h"

#include <atomic>
#include <cstdint>

// Both responses' coefficient ladders at one sample rate.
struct FilterTableSet {
    CoefficientRow lowpass[kFilterRows];
    CoefficientRow highpass[kFilterRows];
    float sampleRate;

    void fill(float rate);
    const CoefficientRow* rows(bool highPass) const { return highPass ? highpass : lowpass; }
};

// The shared state behind the two sides; only they reach it.
class ControlHandoff {
public:
    enum Request : uint32_t {
        kProgramStart = 1,
        kHistoryClear = 2,
        kLimiterReset = 4,
        kQueueClear = 8,
        kNewTables = 16,
    };
    // With kNewTables: the set that holds the new tables.
    static constexpr uint32_t kSecondSet = 32;

    // Where a program starts the glide, as the loop takes it with kProgramStart.
    struct ProgramStart {
        int32_t cutoffRow;
        int32_t resonanceStep;
        int32_t stepCountdown;
    };

    // The live values, which both sides write (a host's change, a queued MIDI change landing)
    // and the loop reads.
    class LiveValues {
    public:
        void setGainFactor(float factor) { shared.gain.store(factor, relaxed); }
        void setCutoffTarget(int32_t row) { shared.cutoff.store(row, relaxed); }
        void setResonanceTarget(int32_t step) { shared.resonance.store(step, relaxed); }
        void setStepInterval(int32_t samples) { shared.interval.store(samples, relaxed); }
        void setHighPass(bool on) { shared.highPass.store(on, relaxed); }

    protected:
        explicit LiveValues(ControlHandoff& shared) : shared(shared) {}
        ControlHandoff& shared;
    };

    // What host threads (the dispatcher, automation, the UI thread) may do, any time.
    class Host : public LiveValues {
    public:
        explicit Host(ControlHandoff& shared) : LiveValues(shared) {}
        void requestProgramStart(const ProgramStart& start);
        void request(uint32_t what) { shared.requests.fetch_or(what, std::memory_order_release); }
        // The dispatcher thread alone: builds `rate`'s tables for the loop to switch to.
        void publishTables(float rate);
    };

    // What the audio loop may do, between and during its blocks.
    class Loop : public LiveValues {
    public:
        explicit Loop(ControlHandoff& shared) : LiveValues(shared) {}
        // Between blocks: takes back a request that what it is about to do makes unnecessary (a
        // queue it refills need not be emptied).
        void withdraw(uint32_t what) {
            shared.requests.fetch_and(~what, std::memory_order_relaxed);
        }
        // At the start of a block: every pending request, now the loop's to carry out (Request
        // bits; kSecondSet is the handoff's own).
        uint32_t take();
        ProgramStart programStart() const;
        float gainFactor() const { return shared.gain.load(relaxed); }
        int32_t cutoffTarget() const { return shared.cutoff.load(relaxed); }
        int32_t resonanceTarget() const { return shared.resonance.load(relaxed); }
        int32_t stepInterval() const { return shared.interval.load(relaxed); }
        const FilterTableSet& tables() const { return *shared.loopTables; }
        const CoefficientRow* activeRows() const {
            return tables().rows(shared.highPass.load(relaxed));
        }
    };

    explicit ControlHandoff(float sampleRate);
    ControlHandoff(const ControlHandoff&) = delete;
    ControlHandoff& operator=(const ControlHandoff&) = delete;

private:
    static constexpr auto relaxed = std::memory_order_relaxed;

    std::atomic<float> gain{1.0f};
    std::atomic<int32_t> cutoff{0};
    std::atomic<int32_t> resonance{1};
    std::atomic<int32_t> interval{1};
    std::atomic<bool> highPass{false};
    // A program start packed in one word, so that the loop never takes half of one start and half
    // of the next.
    std::atomic<uint64_t> start{uint64_t{1} << 32 | 1 << 16};
    std::atomic<uint32_t> requests{0};
    FilterTableSet sets[2];
    // The set the last publishTables built (the dispatcher thread's own), and the set the loop
    // reads (the loop's own).
    int32_t published = 0;
    const FilterTableSet* loopTables = &sets[0];
};
