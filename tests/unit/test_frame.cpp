// The frame's base classes: defaults, flag setters, host requests and their fallbacks.
#include "frame/audioeffectx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Request {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

// One scripted host per test; the callback is a plain function, so it lives in a global.
struct ScriptedHost {
    std::vector<Request> requests;
    intptr_t answer = 0;
    std::function<void()> duringRequest;
};
ScriptedHost* currentHost = nullptr;

intptr_t scriptedCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                          float opt) {
    currentHost->requests.push_back({effect, opcode, index, value, ptr, opt});
    if (currentHost->duringRequest) {
        currentHost->duringRequest();
    }
    return currentHost->answer;
}

class BareEffect : public AudioEffectX {
public:
    explicit BareEffect(audioMasterCallback host) : AudioEffectX(host, 3, 2) {}
    void process(float**, float**, int32_t) override {}
    void setParameter(int32_t index, float value) override { changes.push_back({index, value}); }
    std::vector<std::pair<int32_t, float>> changes;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { currentHost = &host; }
    void TearDown() override { currentHost = nullptr; }

    ScriptedHost host;
    BareEffect effect{scriptedCallback};
    BareEffect hostless{nullptr};
};

} // namespace

TEST_F(FrameTest, BaseConstructionFillsTheRecord) {
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(record->numPrograms, 3);
    EXPECT_EQ(record->numParams, 2);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(record->uniqueID, fourCharCode("NoEf"));
    EXPECT_EQ(record->object, &effect);
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getPlugCategory(), 0);
    EXPECT_EQ(effect.getVstVersion(), 2);
    EXPECT_FALSE(effect.keysRequired());
    EXPECT_TRUE(host.requests.empty());
}

TEST_F(FrameTest, FlagSettersTouchOnlyTheirBit) {
    AEffect* record = effect.getAeffect();
    effect.canMono(true);
    effect.hasVu(true);
    effect.isSynth(true);
    EXPECT_EQ(record->flags, effFlagsCanMono | effFlagsHasVu | effFlagsIsSynth);
    EXPECT_EQ(effect.getPlugCategory(), 2);
    effect.hasVu(false);
    effect.noTail(true);
    effect.wantAsyncOperation(true);
    effect.hasExternalBuffer(true);
    effect.programsAreChunks(true);
    effect.hasClip(true);
    effect.canProcessReplacing(true);
    EXPECT_EQ(record->flags, effFlagsCanMono | effFlagsIsSynth | effFlagsNoSoundInStop |
                                 effFlagsExtIsAsync | effFlagsExtHasBuffer | effFlagsProgramChunks |
                                 effFlagsHasClip | effFlagsCanReplacing);
    EffectEditor editor(&effect);
    effect.setEditor(&editor);
    EXPECT_NE(record->flags & effFlagsHasEditor, 0);
    effect.setEditor(nullptr);
    EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
}

TEST_F(FrameTest, AutomationChangesTheParameterBeforeTellingTheHost) {
    host.duringRequest = [&] { EXPECT_EQ(effect.changes.size(), 1u); };
    effect.setParameterAutomated(2, 0.5f);
    ASSERT_EQ(host.requests.size(), 1u);
    const Request& request = host.requests[0];
    EXPECT_EQ(request.effect, effect.getAeffect());
    EXPECT_EQ(request.opcode, audioMasterAutomate);
    EXPECT_EQ(request.index, 2);
    EXPECT_EQ(request.value, 0);
    EXPECT_EQ(request.opt, 0.5f);
    hostless.setParameterAutomated(1, 0.25f);
    EXPECT_EQ(hostless.changes.size(), 1u);
}

TEST_F(FrameTest, RequestsSendTheirArguments) {
    char text[] = "sendVstEvents";
    int files = 0;
    effect.wantEvents(1);
    effect.sizeWindow(300, 200);
    effect.offlineStart(&files, 4, 2);
    effect.offlineRead(&files, 9, true);
    effect.canHostDo(text);
    effect.hostVendorSpecific(5, 6, &files, 1.5f);
    effect.isOutputConnected(3);
    effect.setOutputSampleRate(22050.0f);
    const std::vector<Request> expected = {
        {effect.getAeffect(), audioMasterWantMidi, 0, 1, nullptr, 0.0f},
        {effect.getAeffect(), audioMasterSizeWindow, 300, 200, nullptr, 0.0f},
        {effect.getAeffect(), audioMasterOfflineStart, 2, 4, &files, 0.0f},
        {effect.getAeffect(), audioMasterOfflineRead, 1, 9, &files, 0.0f},
        {effect.getAeffect(), audioMasterCanDo, 0, 0, text, 0.0f},
        {effect.getAeffect(), audioMasterVendorSpecific, 5, 6, &files, 1.5f},
        {effect.getAeffect(), audioMasterPinConnected, 3, 1, nullptr, 0.0f},
        {effect.getAeffect(), audioMasterSetOutputSampleRate, 0, 0, nullptr, 22050.0f},
    };
    ASSERT_EQ(host.requests.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host.requests[i].opcode, expected[i].opcode) << i;
        EXPECT_EQ(host.requests[i].index, expected[i].index) << i;
        EXPECT_EQ(host.requests[i].value, expected[i].value) << i;
        EXPECT_EQ(host.requests[i].ptr, expected[i].ptr) << i;
        EXPECT_EQ(host.requests[i].opt, expected[i].opt) << i;
        EXPECT_EQ(host.requests[i].effect, expected[i].effect) << i;
    }
}

TEST_F(FrameTest, AnswersAreInterpretedPerRequest) {
    host.answer = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    EXPECT_TRUE(effect.isInputConnected(0));
    host.answer = 1;
    EXPECT_FALSE(effect.isInputConnected(0));
    host.answer = -3;
    EXPECT_EQ(effect.canHostDo(nullptr), 1);
    EXPECT_EQ(effect.offlineGetCurrentPass(), 1);
    EXPECT_TRUE(effect.needIdle());
    EXPECT_EQ(effect.getMasterVersion(), -3);
    host.answer = 2400;
    EXPECT_EQ(effect.getMasterVersion(), 2400);
    EXPECT_EQ(effect.getCurrentUniqueId(), 2400);
}

TEST_F(FrameTest, SampleRateQueryReturnsTheFieldTheHostSet) {
    host.answer = 12345;
    host.duringRequest = [&] {
        if (host.requests.back().opcode == audioMasterGetSampleRate) {
            effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 96000.0f);
        }
    };
    EXPECT_EQ(effect.updateSampleRate(), 96000.0f);
    EXPECT_EQ(effect.updateBlockSize(), 1024);
}

TEST_F(FrameTest, WithoutHostEveryRequestFallsBack) {
    EXPECT_EQ(hostless.getMasterVersion(), 1);
    EXPECT_EQ(hostless.getCurrentUniqueId(), 0);
    EXPECT_TRUE(hostless.isInputConnected(0));
    EXPECT_TRUE(hostless.isOutputConnected(0));
    EXPECT_EQ(hostless.getTimeInfo(0), nullptr);
    EXPECT_FALSE(hostless.ioChanged());
    EXPECT_EQ(hostless.updateSampleRate(), 44100.0f);
    EXPECT_EQ(hostless.updateBlockSize(), 1024);
    EXPECT_EQ(hostless.getPreviousPlug(0), nullptr);
    EXPECT_EQ(hostless.canHostDo(nullptr), 0);
    EXPECT_EQ(hostless.getDirectory(), nullptr);
    EXPECT_FALSE(hostless.updateDisplay());
    hostless.masterIdle();
    hostless.wantEvents(1);
}

TEST_F(FrameTest, BlockSizeAndSampleRateAreStoredDirectly) {
    EXPECT_EQ(effect.dispatcher(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect.getBlockSize(), 512);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
}

TEST_F(FrameTest, DefaultProgramNameEmptiesTheBuffer) {
    char name[16] = "something";
    effect.setProgramName(name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(effect.dispatcher(effSetProgram, 0, 2, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.getProgram(), 2);
    EXPECT_EQ(effect.dispatcher(effSetProgram, 0, 3, nullptr, 0.0f), 0);
    EXPECT_EQ(effect.getProgram(), 2);
}

TEST_F(FrameTest, EditorOpcodesWithoutEditorAnswerZeroAndLeaveThePointer) {
    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, &sentinel);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &rect, 0.0f), 0);
}

TEST_F(FrameTest, BaseEditorHasNoRectAndIdlesItsPendingUpdate) {
    struct CountingEditor : EffectEditor {
        using EffectEditor::EffectEditor;
        void update() override { ++updates; }
        int updates = 0;
    };
    CountingEditor editor(&effect);
    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_EQ(editor.getRect(&rect), 0);
    EXPECT_EQ(rect, nullptr);
    int window = 0;
    EXPECT_EQ(editor.open(&window), 0);
    EXPECT_EQ(editor.getSystemWindow(), &window);
    editor.idle();
    EXPECT_EQ(editor.updates, 0);
    editor.postUpdate();
    editor.idle();
    editor.idle();
    EXPECT_EQ(editor.updates, 1);
}

TEST_F(FrameTest, TextToolsConvertBeforeFormatting) {
    char text[16];
    const std::pair<float, const char*> decibels[] = {{1.0f, "0.000000"},
                                                      {10.0f, "20.00000"},
                                                      {0.5f, "-6.02059"},
                                                      {0.0f, "  -oo   "},
                                                      {-2.0f, "  -oo   "}};
    for (const auto& [value, expected] : decibels) {
        effect.dbToText(value, text);
        EXPECT_STREQ(text, expected) << value;
    }
    effect.dbToText(std::numeric_limits<float>::quiet_NaN(), text);
    EXPECT_STREQ(text, "  -oo   ");
    effect.hzToText(100.0f, text);
    EXPECT_STREQ(text, "441.0000");
    effect.hzToText(0.0f, text);
    EXPECT_STREQ(text, "0.000000");
    effect.msToText(441.0f, text);
    EXPECT_STREQ(text, "10.00000");
    effect.longToText(42, text);
    EXPECT_STREQ(text, "     42");
}

TEST_F(FrameTest, UnusableSampleRatesAreNotStored) {
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()}) {
        effect.setBlockSizeAndSampleRate(256, rate);
        EXPECT_EQ(effect.getSampleRate(), 44100.0f);
        EXPECT_EQ(effect.getBlockSize(), 256);
    }
}
