// Every opcode a host can send, answered as a host sees it.
#include "tests/host/plugin_fixture.h"

#include <cstring>
#include <string>

namespace {

struct OpcodeAnswer {
    int32_t opcode;
    intptr_t answer;
};

} // namespace

TEST_F(PluginTest, EveryOpcodeGivesItsAnswer) {
    // Opcodes that need no pointer; those with pointers are covered below.
    const OpcodeAnswer answers[] = {
        {effOpen, 0},
        {effGetProgram, 0},
        {effGetVu, 0},
        {effSetBlockSize, 0},
        {effEditDraw, 0},
        {effEditMouse, 0},
        {effEditKey, 0},
        {effEditTop, 0},
        {effEditSleep, 0},
        {effIdentify, 0x4e764566},
        {effGetChunk, 0},
        {effSetChunk, 0},
        {effCanBeAutomated, 1},
        {effString2Parameter, 0},
        {effGetNumProgramCategories, 1},
        {effGetProgramNameIndexed, 0},
        {effCopyProgram, 0},
        {effConnectInput, 1},
        {effConnectOutput, 1},
        {effGetInputProperties, 0},
        {effGetOutputProperties, 0},
        {effGetPlugCategory, 0},
        {effGetCurrentPosition, 0},
        {effGetDestinationBuffer, 0},
        {effOfflineNotify, 0},
        {effOfflinePrepare, 0},
        {effOfflineRun, 0},
        {effProcessVarIo, 0},
        {effSetSpeakerArrangement, 0},
        {effSetBypass, 0},
        {effGetVendorVersion, 0},
        {effVendorSpecific, 0},
        {effGetTailSize, 0},
        {effIdle, 0},
        {effGetIcon, 0},
        {effSetViewPosition, 0},
        {effGetParameterProperties, 0},
        {effKeysRequired, 1},
        {effGetVstVersion, 2},
        {59, 0},
        {-1, 0},
        {1000, 0},
        {INT32_MIN, 0},
    };
    for (const OpcodeAnswer& expected : answers) {
        EXPECT_EQ(plugin->dispatch(expected.opcode), expected.answer)
            << "opcode " << expected.opcode;
    }
}

TEST_F(PluginTest, TextQueriesLeaveBuffersUntouchedAndAnswerZero) {
    for (int32_t opcode :
         {effGetEffectName, effGetErrorText, effGetVendorString, effGetProductString}) {
        char text[64] = "unchanged";
        EXPECT_EQ(plugin->dispatch(opcode, 0, 0, text), 0);
        EXPECT_STREQ(text, "unchanged");
    }
}

// The MIDI words depend on the host interface the build links (test_host_interface.cpp); every
// other text is answered 0 in both.
TEST_F(PluginTest, CanDoAnswersZeroForEveryOtherText) {
    for (const char* word : {"sendVstEvents", "receiveVstTimeInfo", "offline", "", "x"}) {
        EXPECT_EQ(plugin->dispatch(effCanDo, 0, 0, const_cast<char*>(word)), 0) << word;
    }
}

TEST_F(PluginTest, SetProgramOutsideTheBankChangesNothing) {
    EXPECT_EQ(plugin->dispatch(effSetProgram, 0, 5), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 5);
    for (intptr_t outside : {intptr_t{16}, intptr_t{-1}, intptr_t{1} << 40}) {
        EXPECT_EQ(plugin->dispatch(effSetProgram, 0, outside), 0);
        EXPECT_EQ(plugin->dispatch(effGetProgram), 5);
    }
}

TEST_F(PluginTest, BlockSizeAndSampleRateAnswerOne) {
    EXPECT_EQ(plugin->dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
}

TEST_F(PluginTest, MainsOnAsksForMidiEveryTime) {
    plugin->dispatch(effMainsChanged, 0, 1);
    plugin->dispatch(effMainsChanged, 0, 0);
    plugin->dispatch(effMainsChanged, 0, 7);
    const auto requests = host.requestsWithOpcode(audioMasterWantMidi);
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.value, 1);
        EXPECT_TRUE(request.fromInstance);
    }
}

TEST_F(PluginTest, HostParameterChangesAreNotReportedBack) {
    plugin->setParameter(param::resonance, 0.7f);
    plugin->dispatch(effSetProgram, 0, 2);
    EXPECT_TRUE(host.requestsWithOpcode(audioMasterAutomate).empty());
}

TEST_F(PluginTest, NullPointersFromTheHostAreIgnored) {
    for (int32_t opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effProcessEvents, effCanDo, effGetEffectName, effEditGetRect}) {
        plugin->dispatch(opcode, 0, 0, nullptr);
    }
    EXPECT_EQ(plugin->programName(), "Default");
}

TEST(Close, ClosingAnswersOneAndRunsNoRequest) {
    plughost::RecordingHost host;
    AEffect* effect = plughost::createInstance(builtPlugin().entry(), host);
    ASSERT_NE(effect, nullptr);
    host.clear();
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(host.requests().empty());
}
