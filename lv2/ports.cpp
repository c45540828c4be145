#include "lv2/ports.h"

#include <cmath>
#include <initializer_list>
#include <limits>

float portValueOfParameter(int32_t index, float value) {
    const ParameterKind kind = kParameters[index].kind;
    value = storedValue(index, value);
    if (kind == ParameterKind::toggle) {
        value = value >= 0.5f ? 1.0f : 0.0f;
    }
    const auto estimate = static_cast<float>(unitsOfValue(index, value));
    if (kind != ParameterKind::continuous) {
        return estimate;
    }
    // The mapping back rounds once more: one of the estimate's float neighbours may come nearer.
    const auto distance = [index, value](float port) {
        return std::fabs(parameterValueOfPort(index, port) - value);
    };
    float best = estimate;
    for (const float direction :
         {-std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()}) {
        const float neighbour = std::nextafter(estimate, direction);
        if (distance(neighbour) < distance(best)) {
            best = neighbour;
        }
    }
    return best;
}
