#include "frame/audioeffectx.h"

#include <cmath>

namespace {

intptr_t answer(bool value) {
    return value ? 1 : 0;
}

} // namespace

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    // One unsigned comparison sends everything outside 25..58 to the 1.0 table.
    if (static_cast<uint32_t>(opcode) - effProcessEvents > effGetVstVersion - effProcessEvents) {
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
    const auto value32 = static_cast<int32_t>(value);
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return answer(canParameterBeAutomated(index));
    case effString2Parameter:
        return answer(string2parameter(index, static_cast<char*>(ptr)));
    case effGetNumProgramCategories:
        return getNumCategories();
    case effGetProgramNameIndexed:
        return answer(getProgramNameIndexed(value32, index, static_cast<char*>(ptr)));
    case effCopyProgram:
        return answer(copyProgram(index));
    case effConnectInput:
        inputConnected(index, value != 0);
        return 1;
    case effConnectOutput:
        outputConnected(index, value != 0);
        return 1;
    case effGetInputProperties:
        return answer(getInputProperties(index, ptr));
    case effGetOutputProperties:
        return answer(getOutputProperties(index, ptr));
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetCurrentPosition:
        return reportCurrentPosition();
    case effGetDestinationBuffer:
        return reinterpret_cast<intptr_t>(reportDestinationBuffer());
    case effOfflineNotify:
        return answer(offlineNotify(ptr, value32, index != 0));
    case effOfflinePrepare:
        return answer(offlinePrepare(ptr, value32));
    case effOfflineRun:
        return answer(offlineRun(ptr, value32));
    case effProcessVarIo:
        return answer(processVariableIo(ptr));
    case effSetSpeakerArrangement:
        return answer(setSpeakerArrangement(reinterpret_cast<void*>(value), ptr));
    case effSetBlockSizeAndSampleRate:
        setBlockSizeAndSampleRate(value32, opt);
        return 1;
    case effSetBypass:
        return answer(setBypass(value != 0));
    case effGetEffectName:
        return answer(getEffectName(static_cast<char*>(ptr)));
    case effGetErrorText:
        return answer(getErrorText(static_cast<char*>(ptr)));
    case effGetVendorString:
        return answer(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
        return answer(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
        return getTailSize();
    case effIdle:
        return fxIdle();
    case effGetIcon:
        return reinterpret_cast<intptr_t>(getIcon());
    case effSetViewPosition:
        return answer(setViewPosition(index, value32));
    case effGetParameterProperties:
        return answer(getParameterProperties(index, ptr));
    case effKeysRequired:
        return answer(!keysRequired());
    case effGetVstVersion:
        return getVstVersion();
    default:
        return 0;
    }
}

void AudioEffectX::wantEvents(int32_t filter) {
    callHost(audioMasterWantMidi, 0, filter);
}

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

int32_t AudioEffectX::tempoAt(int32_t pos) {
    return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, pos));
}

int32_t AudioEffectX::processEvents(VstEvents*) {
    return 0;
}

int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}

int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::canParameterBeAutomated(int32_t) {
    return true;
}

bool AudioEffectX::string2parameter(int32_t, char*) {
    return false;
}

float AudioEffectX::getChannelParameter(int32_t, int32_t) {
    return 0.0f;
}

int32_t AudioEffectX::getNumCategories() {
    return 1;
}

bool AudioEffectX::getProgramNameIndexed(int32_t, int32_t, char*) {
    return false;
}

bool AudioEffectX::copyProgram(int32_t) {
    return false;
}

bool AudioEffectX::ioChanged() {
    return callHost(audioMasterIOChanged) != 0;
}

bool AudioEffectX::needIdle() {
    return callHost(audioMasterNeedIdle) != 0;
}

bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

// A host answers by calling effSetSampleRate during the request; the field is what counts.
float AudioEffectX::updateSampleRate() {
    callHost(audioMasterGetSampleRate);
    return sampleRate;
}

int32_t AudioEffectX::updateBlockSize() {
    callHost(audioMasterGetBlockSize);
    return blockSize;
}

int32_t AudioEffectX::getInputLatency() {
    return static_cast<int32_t>(callHost(audioMasterGetInputLatency));
}

int32_t AudioEffectX::getOutputLatency() {
    return static_cast<int32_t>(callHost(audioMasterGetOutputLatency));
}

AEffect* AudioEffectX::getPreviousPlug(int32_t input) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, input));
}

AEffect* AudioEffectX::getNextPlug(int32_t output) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, output));
}

void AudioEffectX::inputConnected(int32_t, bool) {}

void AudioEffectX::outputConnected(int32_t, bool) {}

bool AudioEffectX::getInputProperties(int32_t, void*) {
    return false;
}

bool AudioEffectX::getOutputProperties(int32_t, void*) {
    return false;
}

int32_t AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) != 0 ? 2 : 0;
}

int32_t AudioEffectX::willReplaceOrAccumulate() {
    return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}

int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

int32_t AudioEffectX::getAutomationState() {
    return static_cast<int32_t>(callHost(audioMasterGetAutomationState));
}

void AudioEffectX::wantAsyncOperation(bool state) {
    setFlag(effFlagsExtIsAsync, state);
}

void AudioEffectX::hasExternalBuffer(bool state) {
    setFlag(effFlagsExtHasBuffer, state);
}

int32_t AudioEffectX::reportCurrentPosition() {
    return 0;
}

float* AudioEffectX::reportDestinationBuffer() {
    return nullptr;
}

bool AudioEffectX::offlineRead(void* task, int32_t option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool AudioEffectX::offlineWrite(void* task, int32_t option) {
    return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
}

bool AudioEffectX::offlineStart(void* files, int32_t numAudioFiles, int32_t numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}

int32_t AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}

int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

bool AudioEffectX::offlineNotify(void*, int32_t, bool) {
    return false;
}

bool AudioEffectX::offlinePrepare(void*, int32_t) {
    return false;
}

bool AudioEffectX::offlineRun(void*, int32_t) {
    return false;
}

int32_t AudioEffectX::offlineGetNumPasses() {
    return 0;
}

int32_t AudioEffectX::offlineGetNumMetaPasses() {
    return 0;
}

void AudioEffectX::setOutputSampleRate(float rate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}

bool AudioEffectX::getSpeakerArrangement(void* pluginInput, void* pluginOutput) {
    return callHost(audioMasterGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(pluginInput),
                    pluginOutput) != 0;
}

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

int32_t AudioEffectX::getHostVendorVersion() {
    return static_cast<int32_t>(callHost(audioMasterGetVendorVersion));
}

intptr_t AudioEffectX::hostVendorSpecific(int32_t a, intptr_t b, void* p, float f) {
    return callHost(audioMasterVendorSpecific, a, b, p, f);
}

int32_t AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

void AudioEffectX::isSynth(bool state) {
    setFlag(effFlagsIsSynth, state);
}

void AudioEffectX::noTail(bool state) {
    setFlag(effFlagsNoSoundInStop, state);
}

int32_t AudioEffectX::getHostLanguage() {
    return static_cast<int32_t>(callHost(audioMasterGetLanguage));
}

void* AudioEffectX::openWindow(void* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(void* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::processVariableIo(void*) {
    return false;
}

bool AudioEffectX::setSpeakerArrangement(void*, void*) {
    return false;
}

// A rate that is not a positive finite number would poison every later derivation; such a
// request keeps the rate in force.
void AudioEffectX::setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate) {
    blockSize = newBlockSize;
    if (newSampleRate > 0.0f && std::isfinite(newSampleRate)) {
        sampleRate = newSampleRate;
    }
}

bool AudioEffectX::setBypass(bool) {
    return false;
}

bool AudioEffectX::getEffectName(char*) {
    return false;
}

bool AudioEffectX::getErrorText(char*) {
    return false;
}

bool AudioEffectX::getVendorString(char*) {
    return false;
}

bool AudioEffectX::getProductString(char*) {
    return false;
}

int32_t AudioEffectX::getVendorVersion() {
    return 0;
}

intptr_t AudioEffectX::vendorSpecific(int32_t, intptr_t, void*, float) {
    return 0;
}

intptr_t AudioEffectX::canDo(char*) {
    return 0;
}

void* AudioEffectX::getIcon() {
    return nullptr;
}

bool AudioEffectX::setViewPosition(int32_t, int32_t) {
    return false;
}

int32_t AudioEffectX::getTailSize() {
    return 0;
}

int32_t AudioEffectX::fxIdle() {
    return 0;
}

bool AudioEffectX::getParameterProperties(int32_t, void*) {
    return false;
}

bool AudioEffectX::keysRequired() {
    return false;
}

int32_t AudioEffectX::getVstVersion() {
    return 2;
}
