// Parameters, their texts and the program bank, as a host reads and sets them.
#include "tests/host/plugin_fixture.h"

#include <limits>
#include <string>

TEST_F(PluginTest, ParametersAreNamedAndLabelled) {
    const char* names[] = {"Flt.type", "Frequency", "Reso/BW", "Smoothness",
                           "Gain",     "CC Cutoff", "CC Rezo", "CC Smooth"};
    for (int32_t index = 0; index < 8; ++index) {
        EXPECT_EQ(plugin->parameterName(index), names[index]);
    }
    for (int32_t index : {-1, 8, 9, 12}) {
        EXPECT_EQ(plugin->parameterName(index), "Error");
        EXPECT_EQ(plugin->parameterDisplay(index), "ERROR");
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
    }
    for (int32_t index : {0, 5, 12, -3}) {
        EXPECT_EQ(plugin->parameterLabel(index), "   NA   ");
    }
}

TEST_F(PluginTest, DefaultProgramReadsAsDocumented) {
    const float values[] = {0.0f, 0.5f, 0.1f, 0.1f, 0.5f, 0.5546875f, 1.0f, 0.0390625f};
    const char* displays[] = {"LPF", "50.00", "10.00", "10", "-12.00", "71", "OFF", "5"};
    for (int32_t index = 0; index < 8; ++index) {
        EXPECT_EQ(plugin->getParameter(index), values[index]) << index;
        EXPECT_EQ(plugin->parameterDisplay(index), displays[index]) << index;
    }
}

TEST_F(PluginTest, ValuesAreClampedToTheUnitRange) {
    plugin->setParameter(param::frequency, -0.3f);
    EXPECT_EQ(plugin->getParameter(param::frequency), 0.0f);
    plugin->setParameter(param::frequency, 7.0f);
    EXPECT_EQ(plugin->getParameter(param::frequency), 1.0f);
    plugin->setParameter(param::gain, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(plugin->getParameter(param::gain), 0.0f);
    plugin->setParameter(param::gain, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->getParameter(param::gain), 0.0f);
    plugin->setParameter(param::gain, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->getParameter(param::gain), 1.0f);
}

TEST_F(PluginTest, ControllerNumbersAreQuantised) {
    plugin->setParameter(param::ccCutoff, 0.999f);
    EXPECT_EQ(plugin->getParameter(param::ccCutoff), 0.9921875f);
    EXPECT_EQ(plugin->parameterDisplay(param::ccCutoff), "127");
    plugin->setParameter(param::ccCutoff, 1.0f);
    EXPECT_EQ(plugin->parameterDisplay(param::ccCutoff), "OFF");
    plugin->setParameter(param::ccCutoff, 0.5546875f);
    EXPECT_EQ(plugin->parameterDisplay(param::ccCutoff), "71");
    plugin->setParameter(param::ccRezo, 0.0f);
    EXPECT_EQ(plugin->parameterDisplay(param::ccRezo), "0");
    plugin->setParameter(param::ccSmooth, 0.1f);
    EXPECT_EQ(plugin->getParameter(param::ccSmooth), 12 * 0.0078125f);
    EXPECT_EQ(plugin->parameterDisplay(param::ccSmooth), "12");
}

TEST_F(PluginTest, DisplayTextsFollowTheirValues) {
    struct Case {
        int32_t index;
        float value;
        const char* text;
    };
    const Case cases[] = {
        {param::filterType, 0.4999f, "LPF"}, {param::filterType, 0.5f, "HPF"},
        {param::filterType, 1.0f, "HPF"},    {param::gain, 0.0f, "-24.00"},
        {param::gain, 1.0f, "0.00"},         {param::frequency, 1.0f, "100.00"},
        {param::resonance, 0.0f, "0.00"},    {param::smoothness, 1.0f, "100"},
        {param::smoothness, 0.0f, "0"},
    };
    for (const Case& example : cases) {
        plugin->setParameter(example.index, example.value);
        EXPECT_EQ(plugin->parameterDisplay(example.index), example.text)
            << example.index << " at " << example.value;
    }
}

TEST_F(PluginTest, ProgramsKeepTheirOwnValuesAndNames) {
    for (int32_t program = 0; program < 16; ++program) {
        plugin->dispatch(effSetProgram, 0, program);
        EXPECT_EQ(plugin->programName(), "Default");
    }
    plugin->dispatch(effSetProgram, 0, 4);
    plugin->setParameter(param::resonance, 0.75f);
    char name[] = "Bass sweep";
    plugin->dispatch(effSetProgramName, 0, 0, name);
    plugin->dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(plugin->getParameter(param::resonance), 0.1f);
    EXPECT_EQ(plugin->programName(), "Default");
    plugin->dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(plugin->getParameter(param::resonance), 0.75f);
    EXPECT_EQ(plugin->programName(), "Bass sweep");
}

TEST_F(PluginTest, LongProgramNamesAreCutToThirtyOneCharacters) {
    std::string longName(200, 'n');
    plugin->dispatch(effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(plugin->programName(), std::string(31, 'n'));
    plugin->dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(plugin->programName(), "Default");
}

TEST_F(PluginTest, ProgramChangeRederivesControllerAssignments) {
    plugin->setParameter(param::ccCutoff, 0.25f);
    plugin->dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(plugin->parameterDisplay(param::ccCutoff), "71");
    plugin->dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plugin->parameterDisplay(param::ccCutoff), "32");
}
