#include "lv2/ports.h"

#include <cmath>
#include <initializer_list>

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

// The port value that maps back nearest to `value`: the plain estimate or one of its float
// neighbours, since the mapping back rounds once more.
float nearestPortValue(int32_t index, float value, double estimate) {
    const auto rounded = static_cast<float>(estimate);
    const auto distance = [index, value](float port) {
        return std::fabs(parameterValueOfPort(index, port) - value);
    };
    float best = rounded;
    for (const float direction : {-kPercent, kPercent}) {
        const float neighbour = std::nextafter(rounded, direction);
        if (distance(neighbour) < distance(best)) {
            best = neighbour;
        }
    }
    return best;
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

float portValueOfParameter(int32_t index, float value) {
    value = clampedUnit(value);
    switch (index) {
    case kFilterType:
        return value >= 0.5f ? 1.0f : 0.0f;
    case kFrequency:
    case kResonance:
    case kSmoothness:
        return nearestPortValue(index, value, static_cast<double>(value) * kPercent);
    case kGain:
        return nearestPortValue(index, value,
                                (static_cast<double>(value) - 1.0) * kGainRangeDecibels);
    case kCcCutoff:
    case kCcRezo:
    case kCcSmooth:
        return static_cast<float>(controllerNumber(value));
    default:
        return 0.0f;
    }
}
