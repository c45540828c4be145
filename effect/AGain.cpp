#include "effect/AGain.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// The editor and the MIDI learn set parameters on other threads than the host's: whole stores.
void storeField(float* field, float value) {
    std::atomic_ref<float>(*field).store(value, std::memory_order_relaxed);
}

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

void copyText(char* text, const char* source) {
    if (text != nullptr) {
        std::strcpy(text, source);
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
    : AudioEffectX(host, kNumPrograms, kNumParams), core(sampleRate) {
    for (Program& program : programs) {
        program = defaultProgram();
    }
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(fourCharCode("ZLQF"));
    canMono(true);
    announceHostInterface();
    core.setLearnListener(this);
    // Without memory for the editor the effect runs with no panel.
    try {
        setEditor(createFilterEditor(*this));
    } catch (const std::bad_alloc&) {
        setEditor(nullptr);
    }
    FilterEffect::setProgram(0);
}

// The editor goes first: closing it may commit a field it is editing, which reaches this effect.
FilterEffect::~FilterEffect() {
    delete editor;
    setEditor(nullptr);
}

void FilterEffect::setParameter(int32_t index, float value) {
    value = clampedUnit(value);
    if (float* field = programField(currentProgram(), index)) {
        storeField(field,
                   isControllerParameter(index) ? controllerValue(controllerNumber(value)) : value);
        core.setParameter(index, value);
    }
    notifyEditor(index, value);
}

void FilterEffect::notifyEditor(int32_t index, float value) {
    if (EditorNotices* notices = editorNotices()) {
        notices->parameterChanged(index, value);
    }
}

void FilterEffect::controllerLearned(int32_t controller) {
    if (EditorNotices* notices = editorNotices()) {
        notices->controllerLearned(controller);
    }
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
    float values[kNumParams];
    for (int32_t index = 0; index < kNumParams; ++index) {
        values[index] = getParameter(index);
    }
    core.loadProgram(values);
    static constexpr int32_t kEditorOrder[] = {kGain,      kCcRezo,    kCcCutoff,   kCcSmooth,
                                               kResonance, kFrequency, kSmoothness, kFilterType};
    for (int32_t index : kEditorOrder) {
        notifyEditor(index, values[index]);
    }
    // A lit learn switch gives its parameter controller 0 on a program change.
    controllerLearned(0);
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
        writeControllerNumber(core.assignedController(index), text);
        break;
    default:
        std::strcpy(text, "ERROR");
        break;
    }
}

// The core refuses a rate that would silence the filter; the rate in force then stays.
void FilterEffect::setSampleRate(float rate) {
    if (core.setSampleRate(rate)) {
        sampleRate = rate;
        setProgram(curProgram);
    }
}

void FilterEffect::setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate) {
    AudioEffectX::setBlockSizeAndSampleRate(newBlockSize, newSampleRate);
    core.storeSampleRate(sampleRate);
}

void FilterEffect::process(float** inputs, float** outputs, int32_t sampleFrames) {
    core.process<OutputMode::add>(inputs, outputs, sampleFrames, kResonanceFactor);
}

void FilterEffect::resume() {
    core.resume();
    wantEvents(1);
}
