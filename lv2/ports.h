// The LV2 plug-in's ports in the order its description gives them, and what a control port's
// value, in the units the VST 2 build's display shows, means as the parameter's value 0..1.
#pragma once

#include "effect/parameters.h"

#include <cstdint>

enum Lv2Port : uint32_t {
    kLv2InLeft = 0,
    kLv2InRight,
    kLv2OutLeft,
    kLv2OutRight,
    kLv2Control,
    kLv2Notify,
    // Parameter k is port kLv2FirstParameter + k.
    kLv2FirstParameter,
    kLv2PortCount = kLv2FirstParameter + kNumParams,
};

// Program 0's values as port values: the ports' defaults and the "Default" preset.
inline constexpr float kLv2PortDefaults[kNumParams] = {0.0f,   50.0f, 10.0f,  10.0f,
                                                       -12.0f, 71.0f, 128.0f, 5.0f};

// A port value as the value 0..1 the effect's parameter `index` takes. Values outside the
// port's range are clamped; not a number is the range's low end.
float parameterValueOfPort(int32_t index, float portValue);
// The inverse, for a UI that changes a parameter through its port: the port value that
// parameterValueOfPort maps back to `value` (clamped to 0..1), or as near to it as a float
// allows. Controller values become the whole controller number they hold.
float portValueOfParameter(int32_t index, float value);
