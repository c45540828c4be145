// The entry point and the record as a host first sees them.
#include "tests/host/plugin_fixture.h"

#include <cstring>

using plughost::createInstance;
using plughost::RecordingHost;

TEST(Entry, BothEntryNamesAreTheSameFunction) {
    EXPECT_EQ(builtPlugin().entry("VSTPluginMain"), builtPlugin().entry("main"));
}

TEST(Entry, HostVersionZeroRefusesCreationAfterOneQuery) {
    RecordingHost host;
    host.setResponder([](const plughost::HostRequest&) -> intptr_t { return 0; });
    EXPECT_EQ(createInstance(builtPlugin().entry(), host), nullptr);
    const auto requests = host.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_FALSE(requests[0].fromInstance);
}

TEST(Entry, NullCallbackGivesNoInstance) {
    EXPECT_EQ(builtPlugin().entry()(nullptr), nullptr);
}

TEST(Entry, FreshRecordHoldsTheAnnouncedFields) {
    RecordingHost host;
    AEffect* effect = builtPlugin().entry()(plughost::recordingCallback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 16);
    EXPECT_EQ(effect->numParams, 8);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags & ~(effFlagsHasEditor | effFlagsCanReplacing), effFlagsCanMono);
    EXPECT_EQ(effect->uniqueID, fourCharCode("ZLQF"));
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_NE(effect->processReplacing, nullptr);
    const char zeros[sizeof effect->future] = {};
    EXPECT_EQ(std::memcmp(effect->future, zeros, sizeof zeros), 0);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(Entry, TwoInstancesAreIndependent) {
    RecordingHost host;
    plughost::PluginInstance first(builtPlugin(), host);
    plughost::PluginInstance second(builtPlugin(), host);
    EXPECT_NE(first.record(), second.record());
    first.setParameter(param::frequency, 0.25f);
    first.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(first.getParameter(param::frequency), 0.5f); // program 3 still holds the default
    first.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(first.getParameter(param::frequency), 0.25f);
    EXPECT_EQ(second.getParameter(param::frequency), 0.5f);
    EXPECT_EQ(second.dispatch(effGetProgram), 0);
}
