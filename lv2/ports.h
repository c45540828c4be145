// The LV2 plug-in's ports in the order its description gives them, and what a control port's
// value, in the parameter's units (as the VST 2 build's display shows them), means as the
// parameter's value 0..1.
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

// Program 0's value as a port value: the port's default and the "Default" preset's.
constexpr float portDefault(int32_t index) {
    return static_cast<float>(unitsOfValue(index, kParameters[index].programDefault));
}

// A port value as the value 0..1 the effect's parameter `index` takes. Values outside the
// port's range are clamped; not a number is the range's low end.
inline float parameterValueOfPort(int32_t index, float portValue) {
    return valueOfUnits(index, portValue);
}
// The inverse, for a UI that changes a parameter through its port: the port value that
// parameterValueOfPort maps back to `value` (clamped to 0..1), or as near to it as a float
// allows. Controller values become the whole controller number they hold.
float portValueOfParameter(int32_t index, float value);
