#include "effect/AGain.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr float kMilliSecond = 0.001f;
constexpr float kReleaseMs = 75.0f;

float* programField(Program& program, int32_t index) {
    switch (index) {
    case kFilterType:
        return &program.filterType;
    case kFrequency:
        return &program.frequency;
    case kResonance:
        return &program.resonance;
    case kSmoothness:
        return &program.smoothness;
    case kGain:
        return &program.gain;
    case kCcCutoff:
        return &program.ccCutoff;
    case kCcRezo:
        return &program.ccRezo;
    case kCcSmooth:
        return &program.ccSmooth;
    default:
        return nullptr;
    }
}

// The editor and the MIDI learn set parameters on other threads than the host's: whole stores.
void storeField(float* field, float value) {
    std::atomic_ref<float>(*field).store(value, std::memory_order_relaxed);
}

// Not-a-number compares false with 0.0 and becomes 0.0.
float clampUnit(float value) {
    if (!(value >= 0.0f)) {
        return 0.0f;
    }
    return value > 1.0f ? 1.0f : value;
}

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

void copyText(char* text, const char* source) {
    if (text != nullptr) {
        std::strcpy(text, source);
    }
}

void writeController(char* text, int32_t number) {
    if (number == kControllerOff) {
        std::strcpy(text, "OFF");
    } else {
        std::sprintf(text, "%d", number);
    }
}

Program defaultProgram() {
    Program program{};
    program.filterType = 0.0f;
    program.resonance = 0.1f;
    program.frequency = 0.5f;
    program.smoothness = 0.1f;
    program.gain = 0.5f;
    program.ccRezo = 1.0f;
    program.ccCutoff = 0.5546875f;
    program.ccSmooth = 0.0390625f;
    std::strcpy(program.name, "Default");
    return program;
}

} // namespace

FilterEffect::FilterEffect(audioMasterCallback host)
    : AudioEffectX(host, kNumPrograms, kNumParams), stepCountdown(1), requestedStart{}, requests(0),
      gainFactor(1.0f), cutoffTarget(0), resonanceTarget(1), stepInterval(1),
      activeTable(lowpassTable), eventCount(0), ccRezo(kControllerOff), ccSmooth(kControllerOff),
      ccCutoff(kControllerOff), learnedController(kControllerOff) {
    for (Program& program : programs) {
        program = defaultProgram();
    }
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(fourCharCode("ZLQF"));
    canMono(true);
    announceHostInterface();
    buildFilterTables();
    // What setSampleRate at the default rate and resume would give, so that a host that
    // processes at once already hears a working filter.
    outputLimiter.setRelease(kReleaseMs, sampleRate);
    outputLimiter.reset();
    emptyEventQueue();
    // The editor registers itself; without memory for it the effect runs with no panel.
    try {
        createFilterEditor(this);
    } catch (const std::bad_alloc&) {
        setEditor(nullptr);
    }
    FilterEffect::setProgram(0);
}

FilterEffect::~FilterEffect() = default;

void FilterEffect::setParameter(int32_t index, float value) {
    value = clampUnit(value);
    if (float* field = programField(currentProgram(), index)) {
        if (isControllerParameter(index)) {
            const int32_t number = controllerNumber(value);
            storeField(field, controllerValue(number));
            controllerAssignment(index).store(number, std::memory_order_relaxed);
        } else {
            storeField(field, value);
            deriveParameter(index, value);
        }
    }
    notifyEditor(index, value);
}

void FilterEffect::deriveParameter(int32_t index, float value) {
    constexpr auto relaxed = std::memory_order_relaxed;
    switch (index) {
    case kFilterType:
        activeTable.store(value >= 0.5f ? highpassTable : lowpassTable, relaxed);
        break;
    case kFrequency:
        cutoffTarget.store(cutoffRowOf(value), relaxed);
        break;
    case kResonance:
        resonanceTarget.store(resonanceStepOf(value), relaxed);
        break;
    case kSmoothness:
        stepInterval.store(squaredLawInterval(value), relaxed);
        break;
    case kGain:
        gainFactor.store(gainFactorFor(value), relaxed);
        break;
    default:
        break;
    }
}

std::atomic<int32_t>& FilterEffect::controllerAssignment(int32_t index) {
    switch (index) {
    case kCcCutoff:
        return ccCutoff;
    case kCcRezo:
        return ccRezo;
    default:
        return ccSmooth;
    }
}

void FilterEffect::notifyEditor(int32_t index, float value) {
    if (editor != nullptr) {
        editor->setParameter(index, value);
    }
}

int32_t FilterEffect::squaredLawInterval(double smoothness) const {
    return intervalFromSamples(samplesPerMilliSecond(sampleRate) * smoothness * smoothness * 4.0 +
                               1.0);
}

float FilterEffect::getParameter(int32_t index) {
    float* field = programField(currentProgram(), index);
    return field != nullptr ? std::atomic_ref<float>(*field).load(std::memory_order_relaxed) : 0.0f;
}

void FilterEffect::setProgram(int32_t program) {
    if (program < 0 || program >= kNumPrograms) {
        return;
    }
    curProgram = program;
    loadProgramState(programs[program]);
    static constexpr int32_t kDerivedOnLoad[] = {kGain, kCcRezo, kCcCutoff, kCcSmooth};
    for (int32_t index : kDerivedOnLoad) {
        setParameter(index, getParameter(index));
    }
    request(kHistoryClear);
    static constexpr int32_t kEditorOrder[] = {kGain,      kCcRezo,    kCcCutoff,   kCcSmooth,
                                               kResonance, kFrequency, kSmoothness, kFilterType};
    for (int32_t index : kEditorOrder) {
        notifyEditor(index, getParameter(index));
    }
    notifyEditor(kLearnedController, 0.0f);
}

// Current and target together: a program jumps to its cutoff and resonance at the next
// coefficient step instead of gliding there.
void FilterEffect::loadProgramState(const Program& program) {
    constexpr auto relaxed = std::memory_order_relaxed;
    const int32_t row = cutoffRowOf(program.frequency);
    const int32_t resonance = resonanceStepOf(program.resonance);
    const int32_t interval = linearLawInterval(sampleRate, program.smoothness);
    cutoffTarget.store(row, relaxed);
    resonanceTarget.store(resonance, relaxed);
    stepInterval.store(interval, relaxed);
    activeTable.store(program.filterType >= 0.5f ? highpassTable : lowpassTable, relaxed);
    requestedStart.cutoffRow.store(row, relaxed);
    requestedStart.resonanceStep.store(resonance, relaxed);
    requestedStart.stepCountdown.store(interval, relaxed);
    request(kProgramStart);
}

void FilterEffect::setProgramName(char* name) {
    if (name == nullptr) {
        return;
    }
    char* target = currentProgram().name;
    std::strncpy(target, name, kProgramNameCapacity - 1);
    target[kProgramNameCapacity - 1] = '\0';
}

void FilterEffect::getProgramName(char* name) {
    copyText(name, currentProgram().name);
}

void FilterEffect::getParameterLabel(int32_t, char* label) {
    copyText(label, "   NA   ");
}

void FilterEffect::getParameterName(int32_t index, char* text) {
    copyText(text, index >= 0 && index < kNumParams ? kParameterNames[index] : "Error");
}

void FilterEffect::getParameterDisplay(int32_t index, char* text) {
    if (text == nullptr) {
        return;
    }
    const Program& program = currentProgram();
    switch (index) {
    case kFilterType:
        std::strcpy(text, program.filterType >= 0.5f ? "HPF" : "LPF");
        break;
    case kFrequency:
        std::sprintf(text, "%3.2f", program.frequency * 100.0);
        break;
    case kResonance:
        std::sprintf(text, "%3.2f", program.resonance * 100.0);
        break;
    case kSmoothness:
        std::sprintf(text, "%d", static_cast<int32_t>(program.smoothness * 100.0));
        break;
    case kGain:
        std::sprintf(text, "%3.2f", gainDecibels(program.gain));
        break;
    case kCcCutoff:
    case kCcRezo:
    case kCcSmooth:
        writeController(text, controllerAssignment(index).load(std::memory_order_relaxed));
        break;
    default:
        std::strcpy(text, "ERROR");
        break;
    }
}

// A rate that is zero, negative or not finite would turn every coefficient into NaN and
// silence the effect for good; such a request keeps the rate in force.
void FilterEffect::setSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) {
        return;
    }
    sampleRate = rate;
    buildFilterTables();
    outputLimiter.setRelease(kReleaseMs, rate);
    request(kLimiterReset | kHistoryClear);
    setProgram(curProgram);
}

void FilterEffect::resume() {
    emptyEventQueue();
    wantEvents(1);
    request(kHistoryClear | kLimiterReset);
}

void FilterEffect::buildFilterTables() {
    fillFilterTables(lowpassTable, highpassTable, sampleRate);
}

void FilterEffect::emptyEventQueue() {
    eventCount = 0;
    eventQueue[0].sampleOffset = -1;
}
