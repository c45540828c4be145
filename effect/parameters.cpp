#include "effect/parameters.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The nearest controller number 0..128 (128 is off).
int32_t nearestController(double units) {
    if (!(units >= 0.0)) {
        return 0;
    }
    if (units >= kControllerOff) {
        return kControllerOff;
    }
    return static_cast<int32_t>(std::lround(units));
}

} // namespace

float valueOfUnits(int32_t index, double units) {
    const ParameterInfo& info = kParameters[index];
    const double fraction = (units - info.minimum) / (info.maximum - info.minimum);
    switch (info.kind) {
    case ParameterKind::toggle:
        return fraction >= 0.5 ? 1.0f : 0.0f;
    case ParameterKind::controller:
        return controllerValue(nearestController(units));
    case ParameterKind::continuous:
        break;
    }
    return clampedUnit(static_cast<float>(fraction));
}

void writeDisplayText(int32_t index, float value, char* text) {
    const ParameterInfo& info = kParameters[index];
    switch (info.kind) {
    case ParameterKind::toggle:
        std::strcpy(text, info.named[value >= 0.5f ? 1 : 0].label);
        return;
    case ParameterKind::controller:
        writeControllerNumber(controllerNumber(value), text);
        return;
    case ParameterKind::continuous:
        break;
    }
    const double units = unitsOfValue(index, value);
    if (info.wholeNumbers) {
        std::snprintf(text, kParameterTextSize, "%d", static_cast<int32_t>(units));
    } else {
        std::snprintf(text, kParameterTextSize, "%3.2f", units);
    }
}

void writeControllerNumber(int32_t number, char* text) {
    if (number == kControllerOff) {
        std::strcpy(text, kParameters[kCcCutoff].named[0].label);
    } else {
        std::snprintf(text, kControllerTextSize, "%d", number);
    }
}
