#include "lv2/ports.h"

#include <cmath>

namespace {

constexpr float kPercent = 100.0f;
constexpr float kGainRangeDecibels = 24.0f;

// The nearest controller number 0..128 (128 is off).
int32_t controllerOfPort(float value) {
    if (!(value >= 0.0f)) {
        return 0;
    }
    if (value >= static_cast<float>(kControllerOff)) {
        return kControllerOff;
    }
    return static_cast<int32_t>(std::lround(value));
}

} // namespace

float parameterValueOfPort(int32_t index, float portValue) {
    switch (index) {
    case kFilterType:
        return portValue >= 0.5f ? 1.0f : 0.0f;
    case kFrequency:
    case kResonance:
    case kSmoothness:
        return clampedUnit(portValue / kPercent);
    case kGain:
        return clampedUnit(portValue / kGainRangeDecibels + 1.0f);
    case kCcCutoff:
    case kCcRezo:
    case kCcSmooth:
        return clampedUnit(controllerValue(controllerOfPort(portValue)));
    default:
        return 0.0f;
    }
}
