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
    for (int32_t index = 0; index < kNumParams; ++index) {
        *programField(program, index) = kParameters[index].programDefault;
    }
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
    editorNotices = dynamic_cast<EditorNotices*>(editor);
    FilterEffect::setProgram(0);
}

// The editor goes first: closing it may commit a field it is editing, which reaches this effect.
FilterEffect::~FilterEffect() {
    editorNotices = nullptr;
    delete editor;
    setEditor(nullptr);
}

// The editor hears the value as clamped, before the core rounds it.
void FilterEffect::setParameter(int32_t index, float value) {
    if (float* field = programField(currentProgram(), index)) {
        storeField(field, core.setParameter(index, value));
    }
    notifyEditor(index, clampedUnit(value));
}

void FilterEffect::notifyEditor(int32_t index, float value) {
    if (editorNotices != nullptr) {
        editorNotices->parameterChanged(index, value);
    }
}

void FilterEffect::controllerLearned(int32_t, int32_t controller, int32_t) {
    reportLearned(controller);
}

void FilterEffect::reportLearned(int32_t controller) {
    if (editorNotices != nullptr) {
        editorNotices->controllerLearned(controller);
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
    reportLearned(0);
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
    copyText(text, index >= 0 && index < kNumParams ? kParameters[index].name : "Error");
}

void FilterEffect::getParameterDisplay(int32_t index, char* text) {
    if (text == nullptr) {
        return;
    }
    if (index >= 0 && index < kNumParams) {
        writeDisplayText(index, getParameter(index), text);
    } else {
        std::strcpy(text, "ERROR");
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
