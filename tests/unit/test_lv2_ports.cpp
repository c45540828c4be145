// Port values as the effect's parameter values, and the bundle's description as a host reads
// it: the ports a host sees are the parameters the code numbers, their defaults and the
// "Default" preset are program 0, and the ends of their ranges the ends of 0..1.
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "tests/unit/lv2_host.h"
#include "tests/unit/reference_filter.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>

namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

std::string display(FilterEffect& fx, int32_t index, float value) {
    fx.setParameter(index, value);
    char text[32] = {};
    fx.getParameterDisplay(index, text);
    return text;
}

struct MappingCase {
    int32_t index;
    float port;
    float value;
    const char* display;
};

constexpr MappingCase kMappingCases[] = {
    {kFilterType, 0.0f, 0.0f, "LPF"},      {kFilterType, 1.0f, 1.0f, "HPF"},
    {kFilterType, 0.49f, 0.0f, "LPF"},     {kFilterType, kNan, 0.0f, "LPF"},
    {kFrequency, 0.0f, 0.0f, "0.00"},      {kFrequency, 50.0f, 0.5f, "50.00"},
    {kFrequency, 100.0f, 1.0f, "100.00"},  {kFrequency, 250.0f, 1.0f, "100.00"},
    {kFrequency, kNan, 0.0f, "0.00"},      {kResonance, 10.0f, 0.1f, "10.00"},
    {kResonance, -5.0f, 0.0f, "0.00"},     {kResonance, 100.0f, 1.0f, "100.00"},
    {kSmoothness, 0.0f, 0.0f, "0"},        {kSmoothness, 10.0f, 0.1f, "10"},
    {kSmoothness, 100.0f, 1.0f, "100"},    {kGain, -24.0f, 0.0f, "-24.00"},
    {kGain, -12.0f, 0.5f, "-12.00"},       {kGain, 0.0f, 1.0f, "0.00"},
    {kGain, 6.0f, 1.0f, "0.00"},           {kGain, kNan, 0.0f, "-24.00"},
    {kCcCutoff, 70.6f, 71.0f / 128, "71"}, {kCcCutoff, 127.5f, 1.0f, "OFF"},
    {kCcRezo, -3.0f, 0.0f, "0"},           {kCcSmooth, 300.0f, 1.0f, "OFF"},
    {kCcSmooth, kNan, 0.0f, "0"},
};

TEST(Lv2Ports, ValuesMapToWhatTheVst2DisplayShows) {
    FilterEffect fx{quietHost};
    for (const MappingCase& c : kMappingCases) {
        const float value = parameterValueOfPort(c.index, c.port);
        EXPECT_EQ(std::bit_cast<uint32_t>(value), std::bit_cast<uint32_t>(c.value))
            << kParameters[c.index].name << " " << c.port << " gives " << value;
        EXPECT_EQ(display(fx, c.index, value), c.display) << kParameters[c.index].name << c.port;
    }
}

TEST(Lv2Ports, EveryControllerNumberIsItsOwnValue) {
    FilterEffect fx{quietHost};
    for (int32_t index = kCcCutoff; index <= kCcSmooth; ++index) {
        for (int32_t n = 0; n <= kControllerOff; ++n) {
            const float value = parameterValueOfPort(index, static_cast<float>(n));
            ASSERT_EQ(value, static_cast<float>(n) / 128.0f) << n;
            ASSERT_EQ(display(fx, index, value), n == kControllerOff ? "OFF" : std::to_string(n));
        }
    }
}

// What a UI writes for a value the editor sets: each value 0..1 a knob can take comes back from
// its port as itself, or as near as floats allow; clamped and not-a-number values, the switches'
// ends and controller values as their whole numbers.
TEST(Lv2Ports, ParameterValuesGoToPortsThatMapBackToThem) {
    const struct {
        int32_t index;
        float value;
        float port;
    } cases[] = {
        {kFilterType, 0.0f, 0.0f}, {kFilterType, 0.5f, 1.0f},   {kFrequency, 0.5f, 50.0f},
        {kResonance, 0.1f, 10.0f}, {kSmoothness, 1.5f, 100.0f}, {kFrequency, kNan, 0.0f},
        {kGain, 0.5f, -12.0f},     {kGain, -1.0f, -24.0f},      {kCcCutoff, 71.0f / 128, 71.0f},
        {kCcRezo, 1.0f, 128.0f},   {kCcSmooth, 0.0445f, 5.0f},  {kCcSmooth, kNan, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(portValueOfParameter(c.index, c.value), c.port)
            << kParameters[c.index].name << " " << c.value;
    }
    for (int32_t index = kFrequency; index <= kGain; ++index) {
        for (int32_t step = 0; step <= 4096; ++step) {
            const float value = static_cast<float>(step) / 4096.0f * 0.999f + 0.0005f;
            const float back = parameterValueOfPort(index, portValueOfParameter(index, value));
            ASSERT_LE(std::fabs(back - value), std::numeric_limits<float>::epsilon() / 2)
                << kParameters[index].name << " " << value;
        }
    }
}

// The bundle as lilv loads it, with the URID map of the test host for the preset's state.
class Lv2Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, GLIDEFILTER_LV2_BUNDLE "/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), pluginUri);
        ASSERT_NE(plugin, nullptr);
    }
    void TearDown() override {
        lilv_node_free(pluginUri);
        lilv_world_free(world);
    }

    const LilvPort* parameterPort(int32_t index) const {
        return lilv_plugin_get_port_by_index(plugin, kLv2FirstParameter + index);
    }
    std::string symbol(const LilvPort* port) const {
        return lilv_node_as_string(lilv_port_get_symbol(plugin, port));
    }

    LilvWorld* world = lilv_world_new();
    LilvNode* pluginUri = lilv_new_uri(world, kLv2PluginUri);
    const LilvPlugin* plugin = nullptr;
};

TEST_F(Lv2Bundle, PortsAreTheCodesAndTheirDefaultsProgramZero) {
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_STREQ(lilv_node_as_string(name), "Glide Filter");
    lilv_node_free(name);
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kLv2PortCount);
    const FilterEffect program0{quietHost};
    for (int32_t index = 0; index < kNumParams; ++index) {
        const LilvPort* port = parameterPort(index);
        EXPECT_EQ(symbol(port), kParameters[index].symbol);
        LilvNode* portName = lilv_port_get_name(plugin, port);
        EXPECT_STREQ(lilv_node_as_string(portName), kParameters[index].name);
        lilv_node_free(portName);
        LilvNode *byDefault = nullptr, *minimum = nullptr, *maximum = nullptr;
        lilv_port_get_range(plugin, port, &byDefault, &minimum, &maximum);
        const float defaultValue = lilv_node_as_float(byDefault);
        EXPECT_EQ(defaultValue, portDefault(index)) << kParameters[index].name;
        EXPECT_EQ(parameterValueOfPort(index, defaultValue),
                  const_cast<FilterEffect&>(program0).getParameter(index))
            << kParameters[index].name;
        EXPECT_EQ(parameterValueOfPort(index, lilv_node_as_float(minimum)), 0.0f);
        EXPECT_EQ(parameterValueOfPort(index, lilv_node_as_float(maximum)), 1.0f);
        lilv_node_free(byDefault);
        lilv_node_free(minimum);
        lilv_node_free(maximum);
    }
}

// A preset's port values as hosts set control ports from them: floats.
struct PresetValues {
    LV2_URID floatType;
    std::map<std::string, float> values;
};

void keepPortValue(const char* symbol, void* preset, const void* value, uint32_t size,
                   uint32_t type) {
    auto& kept = *static_cast<PresetValues*>(preset);
    float number = std::numeric_limits<float>::quiet_NaN();
    if (type == kept.floatType && size == sizeof number) {
        std::memcpy(&number, value, sizeof number);
    }
    kept.values[symbol] = number;
}

TEST_F(Lv2Bundle, TheDefaultPresetHoldsTheDefaults) {
    LilvNode* presetClass = lilv_new_uri(world, "http://lv2plug.in/ns/ext/presets#Preset");
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    ASSERT_EQ(lilv_nodes_size(presets), 1u);
    const LilvNode* uri = lilv_nodes_get(presets, lilv_nodes_begin(presets));
    EXPECT_STREQ(lilv_node_as_uri(uri), kLv2DefaultPresetUri);

    lilv_world_load_resource(world, uri);
    TestUridMap urids;
    LilvState* state = lilv_state_new_from_world(world, urids.feature(), uri);
    ASSERT_NE(state, nullptr);
    EXPECT_STREQ(lilv_state_get_label(state), "Default");
    PresetValues preset{urids.urid(LV2_ATOM__Float), {}};
    lilv_state_emit_port_values(state, keepPortValue, &preset);
    ASSERT_EQ(preset.values.size(), std::size_t{kNumParams});
    for (int32_t index = 0; index < kNumParams; ++index) {
        EXPECT_EQ(preset.values[symbol(parameterPort(index))], portDefault(index))
            << kParameters[index].name;
    }
    lilv_state_free(state);
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
}

} // namespace
