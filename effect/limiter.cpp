#include "effect/limiter.h"

#include <cmath>

Limiter::Limiter()
    : releaseCoefficient(0.0), envelope{1.0f, 1.0f}, gainTable(new float[kTableSize]) {
    for (int i = 0; i < kTableSize; ++i) {
        const float level = static_cast<float>(i) * 0.000244140625f;
        gainTable[i] = level >= 1.0f ? static_cast<float>(1.0 / level) : 1.0f;
    }
}

Limiter::~Limiter() {
    delete[] gainTable;
}

// After timeMs of release the remaining distance has shrunk to 0.001 (-60 dB).
void Limiter::setRelease(float timeMs, float sampleRate) {
    const double samples = static_cast<double>(timeMs) * sampleRate * 0.001;
    releaseCoefficient = 1.0 - std::pow(0.001, 1.0 / samples);
}

void Limiter::reset() {
    envelope[0] = 1.0f;
    envelope[1] = 1.0f;
}
