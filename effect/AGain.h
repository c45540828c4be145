// The filter as a VST 2 effect: the bank of programs and their names, the display texts, the
// capability answers and the host interface this build announces, and the host's event lists
// turned into the core's events. The sound is the core's; the editor reaches the effect through
// the link this class implements.
#pragma once

#include "editor/editorlink.h"
#include "effect/filtercore.h"
#include "effect/parameters.h"
#include "frame/audioeffectx.h"

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

class FilterEffect : public AudioEffectX, public EditorLink, private LearnListener {
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
    // Stores both, as the base does; the stored rate then drives the step intervals.
    void setBlockSizeAndSampleRate(int32_t newBlockSize, float newSampleRate) override;
    void resume() override;
    int32_t processEvents(VstEvents* events) override;
    intptr_t canDo(char* text) override;

    // The editor's link, with the calls a VST 2 editor has always made.
    float parameter(int32_t index) override { return getParameter(index); }
    void changeParameter(int32_t index, float value) override {
        setParameterAutomated(index, value);
    }
    void assignController(int32_t index, int32_t number) override {
        setParameter(index, controllerValue(number));
    }
    // Armed whatever the switch, also for none: the editor knows where the controller goes.
    void learnController(int32_t parameter) override { core.learnController(parameter); }
    // The host interface has no gesture: a host records automation as the values arrive.
    void touchParameter(int32_t, bool) override {}
    void idleHost() override { masterIdle(); }

    // The next controller that arrives is learned (a host or a test that has no editor).
    void armLearning() { core.learnController(FilterCore::kNoParameter); }
    // The controller learned last, -1 while learning is armed (what the editor hears as it
    // happens, readable for a host or a test that has no editor).
    int32_t getLearnedController() const { return core.learnedController(); }

private:
    // The tests' literal twin runs on the core behind this face.
    friend struct ReferenceFilter;

    // Flags the host reads; defined with the replacing entry and the capability answers in the
    // one source file of the host interface this build links.
    void announceHostInterface();

    Program& currentProgram() { return programs[curProgram]; }
    void controllerLearned(int32_t parameter, int32_t controller, int32_t frame) override;
    void reportLearned(int32_t controller);
    void notifyEditor(int32_t index, float value);

    FilterCore core;
    // The editor's side of the link, if the editor has one; the editor lives as long as this.
    EditorNotices* editorNotices = nullptr;
    Program programs[kNumPrograms];
};
