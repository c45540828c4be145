// The VST 2.0 layer: events, host queries and the second half of the opcode table.
#pragma once

#include "frame/AudioEffect.h"

struct VstTimeInfo;

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}
    ~AudioEffectX() override = default;

    // The thread each opcode comes on (effProcessEvents on the audio thread): opcodes 25 to 58
    // here, the others as AudioEffect answers them.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    // Host thread (from resume): asks the host for MIDI events; its answer is not kept.
    virtual void wantEvents(int32_t filter);
    // Audio thread: the host's transport, or null; `filter` names the fields wanted.
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    // Any thread: the host's tempo at frame `pos`, as the host gives it.
    virtual int32_t tempoAt(int32_t pos);
    // Audio thread, before the block they belong to: reads the events; 1 when it took them.
    virtual int32_t processEvents(VstEvents* events);
    // Any thread: the host's answer; 0 when it has none to give.
    virtual int32_t getNumAutomatableParameters();
    // Any thread: the host's answer; 0 when it has none to give.
    virtual int32_t getParameterQuantization();
    // Host thread: whether the host may record and play back the parameter; true by default.
    virtual bool canParameterBeAutomated(int32_t index);
    // Host thread: sets the parameter from the text; false when the text is not taken.
    virtual bool string2parameter(int32_t index, char* text);
    // Any thread: no opcode reaches it; 0.
    virtual float getChannelParameter(int32_t channel, int32_t index);
    // Host thread: how many program categories there are; 1.
    virtual int32_t getNumCategories();
    // Host thread: writes the name of program `index` of `category` (value); false: none.
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
    // Host thread: copies the current program to `destination`; false when it did not.
    virtual bool copyProgram(int32_t destination);
    // Host thread: tells the host that inputs, outputs or latency changed; true: it followed.
    virtual bool ioChanged();
    // Host thread: asks the host for effIdle calls; its answer says it will make them.
    virtual bool needIdle();
    // UI thread: asks the host to resize the editor's window; its answer says it did.
    virtual bool sizeWindow(int32_t width, int32_t height);
    // Host thread: the rate the host sets by effSetSampleRate while it answers the request.
    virtual float updateSampleRate();
    // Host thread: as updateSampleRate, for the block size.
    virtual int32_t updateBlockSize();
    // Any thread: the host's answer, in frames.
    virtual int32_t getInputLatency();
    // Any thread: the host's answer, in frames.
    virtual int32_t getOutputLatency();
    // Host thread: the effect that feeds the input, or null.
    virtual AEffect* getPreviousPlug(int32_t input);
    // Host thread: the effect the output feeds, or null.
    virtual AEffect* getNextPlug(int32_t output);
    // Host thread: the input gained or lost its source; ignored by default (the opcode answers 1).
    virtual void inputConnected(int32_t index, bool state);
    // Host thread: the output gained or lost its sink; ignored by default (the opcode answers 1).
    virtual void outputConnected(int32_t index, bool state);
    // Host thread: fills the host's description of the input; false: not filled.
    virtual bool getInputProperties(int32_t index, void* properties);
    // Host thread: fills the host's description of the output; false: not filled.
    virtual bool getOutputProperties(int32_t index, void* properties);
    // Host thread: 2 (synth) when the synth flag is set, else 0 (not said).
    virtual int32_t getPlugCategory();
    // Any thread: the host's answer about which processing entry it calls.
    virtual int32_t willReplaceOrAccumulate();
    // Any thread: the host's answer about the calling thread (user interface, audio, offline).
    virtual int32_t getCurrentProcessLevel();
    // Any thread: the host's answer about its automation (reading, writing).
    virtual int32_t getAutomationState();
    // Construction: sets or clears the flag of the record.
    virtual void wantAsyncOperation(bool state);
    // Construction: sets or clears the flag of the record.
    virtual void hasExternalBuffer(bool state);
    // Host thread: an asynchronous effect's position; 0.
    virtual int32_t reportCurrentPosition();
    // Host thread: an asynchronous effect's buffer; null.
    virtual float* reportDestinationBuffer();
    // Offline thread: asks the host to read; its answer says it did.
    virtual bool offlineRead(void* task, int32_t option, bool readSource);
    // Offline thread: asks the host to write; its answer says it did.
    virtual bool offlineWrite(void* task, int32_t option);
    // Offline thread: asks the host to start (new files as index, all as value); true: started.
    virtual bool offlineStart(void* files, int32_t numAudioFiles, int32_t numNewAudioFiles);
    // Offline thread: the host's answer as 1 or 0.
    virtual int32_t offlineGetCurrentPass();
    // Offline thread: the host's answer as 1 or 0.
    virtual int32_t offlineGetCurrentMetaPass();
    // Host thread: offline files changed; false: not handled.
    virtual bool offlineNotify(void* files, int32_t numAudioFiles, bool start);
    // Host thread: prepares offline tasks; false: not handled.
    virtual bool offlinePrepare(void* tasks, int32_t count);
    // Host thread: runs offline tasks; false: not handled.
    virtual bool offlineRun(void* tasks, int32_t count);
    // Host thread: how many offline passes are needed; 0.
    virtual int32_t offlineGetNumPasses();
    // Host thread: how many offline meta passes are needed; 0.
    virtual int32_t offlineGetNumMetaPasses();
    // Host thread: tells the host the output's rate.
    virtual void setOutputSampleRate(float rate);
    // Host thread: asks the host for its arrangements; its answer says it filled them.
    virtual bool getSpeakerArrangement(void* pluginInput, void* pluginOutput);
    // Any thread: the host writes its vendor into `text`; false when it did not.
    virtual bool getHostVendorString(char* text);
    // Any thread: the host writes its product into `text`; false when it did not.
    virtual bool getHostProductString(char* text);
    // Any thread: the host's version number; 0 when it does not say.
    virtual int32_t getHostVendorVersion();
    // Any thread: a host's own request; its answer as given.
    virtual intptr_t hostVendorSpecific(int32_t a, intptr_t b, void* p, float f);
    // Any thread: whether the host says it can do `text`, its answer reduced to 1 or 0.
    virtual int32_t canHostDo(char* text);
    // Construction: sets or clears the synth flag (and with it getPlugCategory's answer).
    virtual void isSynth(bool state);
    // Construction: sets or clears the flag that says silence in gives silence out.
    virtual void noTail(bool state);
    // Any thread: the host's language code.
    virtual int32_t getHostLanguage();
    // UI thread: asks the host for a window; the window or null.
    virtual void* openWindow(void* window);
    // UI thread: asks the host to close a window openWindow gave; its answer says it did.
    virtual bool closeWindow(void* window);
    // Any thread: the host's folder of the effect, or null.
    virtual void* getDirectory();
    // Any thread: asks the host to re-read names and displays; its answer says it will.
    virtual bool updateDisplay();
    // Audio thread: processes a block of varying size; false: not supported.
    virtual bool processVariableIo(void* varIo);
    // Host thread: offers arrangements (value carries the input's); false: refused.
    virtual bool setSpeakerArrangement(void* pluginInput, void* pluginOutput);
    // Host thread: stores both without setSampleRate's reaction; a rate that is not positive and
    // finite is ignored (the opcode answers 1).
    virtual void setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate);
    // Host thread: asks the effect to bypass itself; false: the host must do it.
    virtual bool setBypass(bool onOff);
    // Host thread: writes the effect's name; false: none given.
    virtual bool getEffectName(char* name);
    // Host thread: writes the last error; false: none given.
    virtual bool getErrorText(char* text);
    // Host thread: writes the vendor's name; false: none given.
    virtual bool getVendorString(char* text);
    // Host thread: writes the product's name; false: none given.
    virtual bool getProductString(char* text);
    // Host thread: the effect's version number; 0.
    virtual int32_t getVendorVersion();
    // Host thread: a host's own opcode; 0: not understood.
    virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    // Host thread: 1 can, -1 cannot, 0 does not know, for the capability named by `text`.
    virtual intptr_t canDo(char* text);
    // Host thread: an icon for the host; null.
    virtual void* getIcon();
    // Host thread: moves the editor in its window; false: not handled.
    virtual bool setViewPosition(int32_t x, int32_t y);
    // Host thread: frames of output after the input falls silent; 0 when not said.
    virtual int32_t getTailSize();
    // Host thread (effIdle, after needIdle): idle work; 0.
    virtual int32_t fxIdle();
    // Host thread: fills the host's description of the parameter; false: not filled.
    virtual bool getParameterProperties(int32_t index, void* properties);
    // UI thread: whether the editor needs the keyboard. effKeysRequired answers its negation, so
    // that the 0 of an effect that does not know the opcode means "keys wanted", the safe reading.
    virtual bool keysRequired();
    // Host thread: the interface version the effect implements; 2.
    virtual int32_t getVstVersion();
};
