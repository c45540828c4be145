#include "effect/filtertables.h"

#include <cmath>

void fillFilterTables(CoefficientRow* lowpass, CoefficientRow* highpass, float sampleRate) {
    const double rowRatio = std::pow(64.0, 1.0 / 4799.0);
    double frequency = 110.0;
    for (int32_t row = 0; row < kFilterRows; ++row) {
        const double w = 6.283185307179586 * frequency / sampleRate;
        const double c = std::cos(w);
        const double s = std::sin(w);
        const auto a1 = static_cast<float>(-2.0 * c);
        const auto sinW = static_cast<float>(s);
        const auto lowOuter = static_cast<float>(0.5 * (1.0 - c));
        const auto highOuter = static_cast<float>(0.5 * (1.0 + c));
        lowpass[row] = {a1, lowOuter, static_cast<float>(1.0 - c), lowOuter, sinW};
        highpass[row] = {a1, highOuter, static_cast<float>(-(1.0 + c)), highOuter, sinW};
        // Carried by one multiplication per row, not recomputed with pow.
        frequency *= rowRatio;
    }
}
