// The filter effect: parameters, programs, working state, tables, processing and MIDI input.
#pragma once

#include "effect/filter.h"
#include "effect/filtertables.h"
#include "effect/limiter.h"
#include "effect/parameters.h"
#include "frame/audioeffectx.h"

#include <atomic>
#include <cstdint>

constexpr int32_t kNumPrograms = 16;
constexpr int32_t kProgramNameCapacity = 32;

struct Program {
    float filterType;
    float resonance;
    float frequency;
    float smoothness;
    float gain;
    float ccRezo;
    float ccCutoff;
    float ccSmooth;
    char name[kProgramNameCapacity];
};

// One timed change queued by the MIDI input; sampleOffset -1 ends the queue.
struct ControlEvent {
    int32_t sampleOffset;
    int32_t resonance;
    int32_t cutoffRow;
    int32_t stepInterval;
};

constexpr int32_t kEventQueueCapacity = 1024;

// What each output frame of a block receives: the processed frame added to what the buffer
// holds, the processed frame alone, or what adding it to a cleared buffer gives.
enum class OutputMode { add, replace, addToSilence };

class FilterEffect : public AudioEffectX {
public:
    explicit FilterEffect(audioMasterCallback host);
    ~FilterEffect() override;

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void setProgram(int32_t program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    void setSampleRate(float rate) override;
    void resume() override;
    int32_t processEvents(VstEvents* events) override;
    intptr_t canDo(char* text) override;

    // Written by the editor to arm learning (-1); read and written by the MIDI input. A release,
    // so that the MIDI input that sees learning armed also sees what the editor wrote before.
    void armControllerLearning() { learnedController.store(-1, std::memory_order_release); }
    int32_t getLearnedController() const {
        return learnedController.load(std::memory_order_relaxed);
    }

private:
    // The tests keep the literal per-sample algorithm and compare it with this one bit for bit.
    friend struct ReferenceFilter;

    // The resonance's weight in the filter's Q on the accumulating entry.
    static constexpr double kAccumulatingResonanceFactor = 0.4;

    // Flags the host reads; defined with the replacing entry and the capability answers in the
    // one source file of the host interface this build links.
    void announceHostInterface();

    Program& currentProgram() { return programs[curProgram]; }
    void loadProgramState(const Program& program);
    void deriveParameter(int32_t index, float value);
    // Samples between coefficient steps for a smoothness of 0..1, saturated at any rate.
    int32_t squaredLawInterval(double smoothness) const;
    std::atomic<int32_t>& controllerAssignment(int32_t index);
    void notifyEditor(int32_t index, float value);
    // Asks the audio loop to change its own state at the start of its next block.
    enum Request : uint32_t { kProgramStart = 1, kHistoryClear = 2, kLimiterReset = 4 };
    void request(uint32_t what) { requests.fetch_or(what, std::memory_order_release); }
    void takeRequests();
    // The audio loop's registers for one block (defined with the loop).
    struct Pipeline;
    template <OutputMode mode>
    void runBlock(float** inputs, float** outputs, int32_t sampleFrames, double resonanceFactor);
    template <OutputMode mode>
    void runFrames(float** inputs, float** outputs, int32_t sampleFrames, double resonanceFactor);
    template <OutputMode mode, int32_t framesHeld>
    void runPass(Pipeline& pipeline, float* const* inputs, float* const* outputs, int32_t i,
                 int32_t& countdown, ControlEvent*& next, double resonanceFactor);
    ControlEvent* applyQueuedChanges(ControlEvent* next, int32_t sample, int32_t& countdown);
    void readMidiEvent(const VstMidiEvent& event, ControlEvent& running);
    void readControlChange(int32_t controller, int32_t value, ControlEvent& running);
    void queueChange(const ControlEvent& change);
    void buildFilterTables();
    void emptyEventQueue();

    // The audio loop's own state: only the loop writes it, other threads ask by request.
    Filter filter;
    int32_t stepCountdown;
    Limiter outputLimiter;
    // A program's cutoff row, resonance step and countdown for the loop to start from.
    struct ProgramStart {
        std::atomic<int32_t> cutoffRow;
        std::atomic<int32_t> resonanceStep;
        std::atomic<int32_t> stepCountdown;
    } requestedStart;
    std::atomic<uint32_t> requests;
    // Read by the audio loop, written by other threads at any time: relaxed atomics, whole
    // 32-bit stores and loads, no lock, no fence.
    std::atomic<float> gainFactor;
    std::atomic<int32_t> cutoffTarget;
    std::atomic<int32_t> resonanceTarget;
    std::atomic<int32_t> stepInterval;
    std::atomic<const CoefficientRow*> activeTable;
    CoefficientRow lowpassTable[kFilterRows];
    CoefficientRow highpassTable[kFilterRows];
    Program programs[kNumPrograms];
    int32_t eventCount;
    ControlEvent eventQueue[kEventQueueCapacity];
    std::atomic<int32_t> ccRezo;
    std::atomic<int32_t> ccSmooth;
    std::atomic<int32_t> ccCutoff;
    std::atomic<int32_t> learnedController;
};

// Makes the effect's panel, which registers itself with the effect through setEditor; throws
// std::bad_alloc without memory for it. Defined with the editor, so that the effect needs none of
// the editor's or the toolkit's headers.
EffectEditor* createFilterEditor(FilterEffect* effect);
