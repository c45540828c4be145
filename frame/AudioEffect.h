// The VST 1.0 layer every effect is built on.
#pragma once

#include "frame/aeffect.h"
#include "frame/effecteditor.h"

#include <atomic>
#include <cstdint>

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Any thread (host automation, the editor, MIDI learn): stores a value of 0..1.
    virtual void setParameter(int32_t index, float value);
    // Any thread: the stored value of 0..1; 0 for an index the effect does not have.
    virtual float getParameter(int32_t index);
    // UI thread (the editor): setParameter, then tells the host so that it records the change.
    virtual void setParameterAutomated(int32_t index, float value);
    // Audio thread: adds the processed block to what outputs hold.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    // Audio thread: writes the processed block over outputs.
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
    // The thread each opcode comes on (the editor's on the UI thread, the rest on the host's):
    // runs one opcode and answers as the opcode defines; 0 for opcodes it does not know.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);
    // Host thread, after creation (effOpen): nothing to do by default.
    virtual void open() {}
    // Host thread, before deletion (effClose).
    virtual void close() {}
    // Host thread: the current program's number.
    virtual int32_t getProgram() { return curProgram; }
    // Host thread: makes `program` current; the dispatcher has checked its range.
    virtual void setProgram(int32_t program) { curProgram = program; }
    // Host thread: renames the current program; this default empties the caller's text.
    virtual void setProgramName(char* name);
    // Host thread: writes the current program's name into the host's text.
    virtual void getProgramName(char* name);
    // Host thread: writes the unit of the parameter's display into the host's text.
    virtual void getParameterLabel(int32_t index, char* label);
    // Host thread: writes the parameter's value as the user reads it into the host's text.
    virtual void getParameterDisplay(int32_t index, char* text);
    // Host thread: writes the parameter's name into the host's text.
    virtual void getParameterName(int32_t index, char* text);
    // Host thread: a level meter's reading of 0..1 (the dispatcher scales it to 32767).
    virtual float getVu() { return 0.0f; }
    // Host thread: points *data at the state as one block and answers its size; 0: no block.
    virtual int32_t getChunk(void** data, bool isPreset);
    // Host thread: restores a block getChunk gave; 0: not taken.
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);
    // Host thread: the sample rate of the blocks to come.
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    // Host thread: the largest block the host will pass.
    virtual void setBlockSize(int32_t size) { blockSize = size; }
    // Host thread (effMainsChanged 0): processing stops until resume.
    virtual void suspend() {}
    // Host thread (effMainsChanged non-zero): processing is about to (re)start.
    virtual void resume() {}
    // Construction: the identity hosts store projects under.
    virtual void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    // Construction: how many input buffers process receives.
    virtual void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    // Construction: how many output buffers process receives.
    virtual void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    // Construction: announces (or withdraws) getVu.
    virtual void hasVu(bool state) { setFlag(effFlagsHasVu, state); }
    // Construction: announces (or withdraws) a clip indicator.
    virtual void hasClip(bool state) { setFlag(effFlagsHasClip, state); }
    // Construction: announces that a mono input may feed both inputs.
    virtual void canMono(bool state) { setFlag(effFlagsCanMono, state); }
    // Construction: announces (or withdraws) processReplacing.
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    // Construction: announces that the state travels through getChunk and setChunk.
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    // Construction: stored in the record as given.
    virtual void setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }
    // Construction: stored in the record as given.
    virtual void setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }
    // Construction or host thread: the latency, in frames, that hosts compensate.
    virtual void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
    // Any thread: the rate in force.
    virtual float getSampleRate() { return sampleRate; }
    // Any thread: the largest block announced.
    virtual int32_t getBlockSize() { return blockSize; }
    // Any thread: the host's interface version; 1 without a host or when it answers 0.
    virtual int32_t getMasterVersion();
    // Host thread: the host's answer to audioMasterCurrentId; 0 without a host.
    virtual int32_t getCurrentUniqueId();
    // UI thread: lets the host run its idle while a control holds the thread (a drag).
    virtual void masterIdle();
    // Host thread: whether the input has a source (the host answers 0 for yes); true without one.
    virtual bool isInputConnected(int32_t input);
    // Host thread: whether the output has a sink (the host answers 0 for yes); true without one.
    virtual bool isOutputConnected(int32_t output);
    // Any thread: a gain factor in dB as display text; "-oo" for 0 and below.
    virtual void dbToText(float value, char* text);
    // Any thread: the frequency of a period of `samples` as display text; 0 for 0.
    virtual void hzToText(float samples, char* text);
    // Any thread: `samples` in milliseconds as display text.
    virtual void msToText(float samples, char* text);
    // Any thread: at most eight characters, digits truncated; " Huge!" when they do not fit.
    virtual void floatToText(float value, char* text);
    // Any thread: right-aligned in seven characters, cut after eight.
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
