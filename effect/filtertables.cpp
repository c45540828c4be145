#include "effect/filtertables.h"

#include <algorithm>
#include <cmath>

void fillFilterTables(CoefficientRow* lowpass, CoefficientRow* highpass, float sampleRate) {
    const double rowRatio = std::pow(64.0, 1.0 / 4799.0);
    // A cutoff at or above half the rate makes the section unstable (sin w <= 0): the output
    // grows without bound. Below 14080 Hz the top rows are held just under half the rate.
    const double highestCutoff = 0.49 * static_cast<double>(sampleRate);
    double frequency = 110.0;
    for (int32_t row = 0; row < kFilterRows; ++row) {
        const double w = 6.283185307179586 * std::min(frequency, highestCutoff) / sampleRate;
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
