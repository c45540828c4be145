// The VST 1.0 layer every effect is built on, and the editor interface the effect holds.
#pragma once

#include "frame/aeffect.h"

#include <atomic>
#include <cstdint>

class AudioEffect;

// What the effect and its dispatcher know of an editor.
class EffectEditor {
public:
    explicit EffectEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~EffectEditor() = default;
    EffectEditor(const EffectEditor&) = delete;
    EffectEditor& operator=(const EffectEditor&) = delete;

    virtual int32_t getRect(ERect** rect);
    virtual int32_t open(void* window);
    virtual void close() {}
    virtual void idle();
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    // Told of every parameter change of the effect; a toolkit editor moves its controls here.
    virtual void setParameter(int32_t, float) {}

    AudioEffect* getEffect() const { return effect; }
    void* getSystemWindow() const { return systemWindow; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
    int32_t updateFlag = 0;
};

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    virtual void setParameterAutomated(int32_t index, float value);
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);
    virtual void open() {}
    virtual void close() {}
    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgram(int32_t program) { curProgram = program; }
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual float getVu() { return 0.0f; }
    virtual int32_t getChunk(void** data, bool isPreset);
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    virtual void hasVu(bool state) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state) { setFlag(effFlagsCanMono, state); }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }
    virtual void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
    virtual float getSampleRate() { return sampleRate; }
    virtual int32_t getBlockSize() { return blockSize; }
    virtual int32_t getMasterVersion();
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);
    virtual void dbToText(float value, char* text);
    virtual void hzToText(float samples, char* text);
    virtual void msToText(float samples, char* text);
    virtual void floatToText(float value, char* text);
    virtual void longToText(int32_t value, char* text);

    void setEditor(EffectEditor* newEditor);
    EffectEditor* getEditor() const { return editor; }
    AEffect* getAeffect() { return &cEffect; }

    static AudioEffect* fromRecord(AEffect* effect) {
        return static_cast<AudioEffect*>(effect->object);
    }

    // The editor's idle, from the host, is running: the editor may call the host from inside it
    // (a drag's host idle, automation), and the host may close the instance there.
    void enterEditorIdle() { ++editorIdles; }
    // True when the instance was closed during the idle that ends here: delete it now.
    bool leaveEditorIdle() { return --editorIdles == 0 && closedByHost.load(); }
    // After effClose: true when the instance may be deleted at once. Inside an editor idle the
    // editor closes now, the host hears nothing more from the instance, and the idle deletes it
    // when it ends.
    bool closeForHost();

protected:
    // Makes one request of the host; 0 when there is no host to ask.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t flag, bool state);

    float sampleRate;
    EffectEditor* editor;
    audioMasterCallback audioMaster;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram;
    int32_t blockSize;
    AEffect cEffect;

private:
    int32_t editorIdles = 0;
    // Set once the host has closed the instance; any thread may ask the host something.
    std::atomic<bool> closedByHost{false};
};
