#include "frame/AudioEffect.h"

#include "frame/valuetext.h"

#include <cmath>
#include <cstring>

namespace {

// The five plain entries of the record; each finds its instance through the record.
intptr_t dispatchEntry(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                       float opt) {
    AudioEffect* instance = AudioEffect::fromRecord(effect);
    if (opcode == effClose) {
        instance->dispatcher(opcode, index, value, ptr, opt);
        if (instance->closeForHost()) {
            delete instance;
        }
        return 1;
    }
    if (opcode == effEditIdle) {
        instance->enterEditorIdle();
        const intptr_t answer = instance->dispatcher(opcode, index, value, ptr, opt);
        if (instance->leaveEditorIdle()) {
            delete instance;
        }
        return answer;
    }
    return instance->dispatcher(opcode, index, value, ptr, opt);
}

void processEntry(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    AudioEffect::fromRecord(effect)->process(inputs, outputs, sampleFrames);
}

void processReplacingEntry(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    AudioEffect::fromRecord(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void setParameterEntry(AEffect* effect, int32_t index, float value) {
    AudioEffect::fromRecord(effect)->setParameter(index, value);
}

float getParameterEntry(AEffect* effect, int32_t index) {
    return AudioEffect::fromRecord(effect)->getParameter(index);
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : sampleRate(44100.0f), editor(nullptr), audioMaster(audioMaster), numPrograms(numPrograms),
      numParams(numParams), curProgram(0), blockSize(1024), cEffect{} {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = 0;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode("NoEf");
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setEditor(EffectEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(int32_t flag, bool state) {
    if (state) {
        cEffect.flags |= flag;
    } else {
        cEffect.flags &= ~flag;
    }
}

void AudioEffect::setParameter(int32_t, float) {}

float AudioEffect::getParameter(int32_t) {
    return 0.0f;
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::processReplacing(float**, float**, int32_t) {}

void AudioEffect::setProgramName(char* name) {
    if (name != nullptr) {
        name[0] = '\0';
    }
}

void AudioEffect::getProgramName(char* name) {
    if (name != nullptr) {
        name[0] = '\0';
    }
}

void AudioEffect::getParameterLabel(int32_t, char* label) {
    if (label != nullptr) {
        label[0] = '\0';
    }
}

void AudioEffect::getParameterDisplay(int32_t, char* text) {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

void AudioEffect::getParameterName(int32_t, char* text) {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

int32_t AudioEffect::getChunk(void**, bool) {
    return 0;
}

int32_t AudioEffect::setChunk(void*, int32_t, bool) {
    return 0;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms) {
            setProgram(static_cast<int32_t>(value));
        }
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effGetVu:
        return static_cast<int32_t>(static_cast<double>(getVu()) * 32767.0);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0) {
            suspend();
        } else {
            resume();
        }
        return 0;
    case effEditGetRect:
        return editor != nullptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor != nullptr ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor != nullptr) {
            editor->close();
        }
        return 0;
    case effEditIdle:
        if (editor != nullptr) {
            editor->idle();
        }
        return 0;
    case effIdentify:
        return fourCharCode("NvEf");
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

bool AudioEffect::closeForHost() {
    if (editorIdles == 0) {
        return true;
    }
    closedByHost.store(true);
    if (editor != nullptr) {
        editor->close();
    }
    return false;
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
    if (audioMaster == nullptr || closedByHost.load(std::memory_order_relaxed)) {
        return 0;
    }
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

int32_t AudioEffect::getMasterVersion() {
    if (audioMaster == nullptr) {
        return 1;
    }
    const auto version = static_cast<int32_t>(callHost(audioMasterVersion));
    return version == 0 ? 1 : version;
}

int32_t AudioEffect::getCurrentUniqueId() {
    return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

// The host answers 0 for a connected pin.
bool AudioEffect::isInputConnected(int32_t input) {
    return audioMaster == nullptr || callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
    return audioMaster == nullptr || callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::dbToText(float value, char* text) {
    if (value > 0.0f) {
        floatToText(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text);
    } else {
        std::strcpy(text, valuetext::kMinusInfinity);
    }
}

void AudioEffect::hzToText(float samples, char* text) {
    if (samples == 0.0f) {
        floatToText(0.0f, text);
    } else {
        floatToText(static_cast<float>(static_cast<double>(getSampleRate()) / samples), text);
    }
}

void AudioEffect::msToText(float samples, char* text) {
    floatToText(static_cast<float>(static_cast<double>(samples) * 1000.0 / getSampleRate()), text);
}

void AudioEffect::floatToText(float value, char* text) {
    valuetext::formatFloat(static_cast<double>(value), text);
}

void AudioEffect::longToText(int32_t value, char* text) {
    valuetext::formatLong(value, text);
}
