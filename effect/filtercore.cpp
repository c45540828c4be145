#include "effect/filtercore.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kMilliSecond = 0.001f;
constexpr int32_t kNoteOn = 0x90;
constexpr int32_t kControlChange = 0xB0;
constexpr int32_t kAllNotesOff = 123;

// Samples between coefficient steps; saturates so that no sample rate a host may store
// makes the conversion undefined.
int32_t intervalFromSamples(double samples) {
    if (!(samples >= 1.0)) {
        return 1;
    }
    if (samples >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(samples);
}

double samplesPerMilliSecond(float sampleRate) {
    return static_cast<double>(sampleRate) * static_cast<double>(kMilliSecond);
}

// A program load uses the linear law; parameter changes and controllers the squared one.
int32_t linearLawInterval(float sampleRate, float smoothness) {
    return intervalFromSamples(samplesPerMilliSecond(sampleRate) * smoothness + 1.0);
}

float gainFactorFor(float gain) {
    return static_cast<float>(std::pow(10.0, gainDecibels(gain) * static_cast<double>(0.05f)));
}

} // namespace

FilterCore::FilterCore(float sampleRate) : handoff(sampleRate), sampleRate(sampleRate) {
    outputLimiter.setRelease(kLimiterReleaseMs, sampleRate);
    outputLimiter.reset();
    emptyEventQueue();
}

bool FilterCore::setSampleRate(float rate) {
    if (!storeSampleRate(rate)) {
        return false;
    }
    hostSide.publishTables(rate);
    hostSide.request(ControlHandoff::kLimiterReset | ControlHandoff::kHistoryClear);
    return true;
}

bool FilterCore::storeSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) {
        return false;
    }
    sampleRate.store(rate, std::memory_order_relaxed);
    return true;
}

void FilterCore::resume() {
    hostSide.request(ControlHandoff::kQueueClear | ControlHandoff::kHistoryClear |
                     ControlHandoff::kLimiterReset);
}

float FilterCore::setParameter(int32_t index, float value) {
    value = storedValue(index, value);
    switch (index) {
    case kFilterType:
        hostSide.setHighPass(value >= 0.5f);
        break;
    case kFrequency:
        hostSide.setCutoffTarget(cutoffRowOf(value));
        break;
    case kResonance:
        hostSide.setResonanceTarget(resonanceStepOf(value));
        break;
    case kSmoothness:
        hostSide.setStepInterval(squaredLawInterval(value));
        break;
    case kGain:
        hostSide.setGainFactor(gainFactorFor(value));
        break;
    case kCcCutoff:
    case kCcRezo:
    case kCcSmooth:
        assignment(index).store(controllerNumber(value), std::memory_order_relaxed);
        break;
    default:
        break;
    }
    return value;
}

// Current and target together: the program jumps to its cutoff and resonance at the next
// coefficient step instead of gliding there.
void FilterCore::loadProgram(const float (&values)[kNumParams]) {
    const int32_t row = cutoffRowOf(values[kFrequency]);
    const int32_t resonance = resonanceStepOf(values[kResonance]);
    const int32_t interval = linearLawInterval(getSampleRate(), values[kSmoothness]);
    hostSide.setCutoffTarget(row);
    hostSide.setResonanceTarget(resonance);
    hostSide.setStepInterval(interval);
    hostSide.setHighPass(values[kFilterType] >= 0.5f);
    hostSide.requestProgramStart({row, resonance, interval});
    for (int32_t index : {kGain, kCcRezo, kCcCutoff, kCcSmooth}) {
        setParameter(index, values[index]);
    }
    hostSide.request(ControlHandoff::kHistoryClear);
}

void FilterCore::startAt(const float (&values)[kNumParams]) {
    float program[kNumParams];
    for (int32_t index = 0; index < kNumParams; ++index) {
        program[index] = kParameters[index].programDefault;
    }
    program[kFrequency] = values[kFrequency];
    program[kResonance] = values[kResonance];
    loadProgram(program);
    for (int32_t index = 0; index < kNumParams; ++index) {
        setParameter(index, values[index]);
    }
}

void FilterCore::learnController(int32_t parameter) {
    learningFor.store(parameter, std::memory_order_relaxed);
    learned.store(-1, std::memory_order_release);
}

void FilterCore::stopLearning() {
    int32_t armed = -1;
    learned.compare_exchange_strong(armed, kControllerOff, std::memory_order_relaxed);
}

int32_t FilterCore::squaredLawInterval(double smoothness) const {
    return intervalFromSamples(
        samplesPerMilliSecond(getSampleRate()) * smoothness * smoothness * 4.0 + 1.0);
}

void FilterCore::beginEvents() {
    // The queue refilled here is the one the next block must hear.
    loopSide.withdraw(ControlHandoff::kQueueClear);
    emptyEventQueue();
    running = {0, loopSide.resonanceTarget(), loopSide.cutoffTarget(), loopSide.stepInterval()};
}

void FilterCore::addMidiEvent(int32_t frame, uint8_t statusByte, uint8_t data1, uint8_t data2) {
    const int32_t status = statusByte & 0xF0;
    // Data bytes are read signed on purpose: one with its top bit set is no data byte, and as a
    // negative number it matches no controller, is never learned and clamps to the lowest note.
    // NOLINTBEGIN(bugprone-signed-char-misuse)
    const int32_t d1 = static_cast<int8_t>(data1);
    const int32_t d2 = static_cast<int8_t>(data2);
    // NOLINTEND(bugprone-signed-char-misuse)
    running.sampleOffset = frame;
    if (status == kNoteOn && d2 != 0) {
        running.cutoffRow = cutoffRowOfNote(d1);
        queueChange();
    } else if (status == kControlChange) {
        readControlChange(frame, d1, d2 & 0x7F);
    }
}

// Only a well-formed controller number is learned: a stray byte must not re-arm learning.
void FilterCore::learn(int32_t frame, int32_t controller) {
    int32_t armed = -1;
    if (controller == kAllNotesOff || controller < 0 ||
        learned.load(std::memory_order_acquire) != armed ||
        !learned.compare_exchange_strong(armed, controller, std::memory_order_acquire)) {
        return;
    }
    if (learnListener != nullptr) {
        learnListener->controllerLearned(learningFor.load(std::memory_order_relaxed), controller,
                                         frame);
    }
}

void FilterCore::readControlChange(int32_t frame, int32_t controller, int32_t value) {
    constexpr auto relaxed = std::memory_order_relaxed;
    learn(frame, controller);
    if (controller == assignment(kCcRezo).load(relaxed)) {
        running.resonance = resonanceStepOfData(value);
        queueChange();
    }
    if (controller == assignment(kCcCutoff).load(relaxed)) {
        running.cutoffRow = cutoffRowOfData(value);
        queueChange();
    }
    if (controller == assignment(kCcSmooth).load(relaxed)) {
        running.stepInterval = squaredLawInterval(smoothnessOfData(value));
        queueChange();
    }
}

// Entries that would not fit beside the end mark are dropped.
void FilterCore::queueChange() {
    if (eventCount < kEventQueueCapacity - 1) {
        eventQueue[eventCount++] = running;
        eventQueue[eventCount].sampleOffset = -1;
    }
}

void FilterCore::emptyEventQueue() {
    eventCount = 0;
    eventQueue[0].sampleOffset = -1;
}
