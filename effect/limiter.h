// Output limiter: a gain curve looked up by level, instant attack, exponential release.
#pragma once

#include <cmath>
#include <cstdint>

class Limiter {
public:
    static constexpr int kTableSize = 32768;
    static constexpr double kIndexScale = 4096.0;
    // Keeps the interpolation's upper neighbour inside the table.
    static constexpr double kHighestIndex = 32760.0;

    Limiter();
    ~Limiter();
    Limiter(const Limiter&) = delete;
    Limiter& operator=(const Limiter&) = delete;

    void setRelease(float timeMs, float sampleRate);
    void reset();

    // One sample of channel `channel`; returns the sample scaled by the new envelope.
    double apply(int channel, double sample) {
        envelope[channel] = nextEnvelope(envelope[channel], gainFor(sample));
        return sample * envelope[channel];
    }

    double gainFor(double sample) const {
        double index = std::fabs(sample) * kIndexScale;
        // Also catches a level that is not a number, which would index anywhere.
        if (!(index <= kHighestIndex)) {
            index = kHighestIndex;
        }
        const auto whole = static_cast<int32_t>(index);
        const double fraction = index - whole;
        const double lower = gainTable[whole];
        return lower + fraction * (gainTable[whole + 1] - lower);
    }

    float nextEnvelope(float current, double gain) const {
        if (gain < current) {
            return static_cast<float>(gain);
        }
        return static_cast<float>(current + (gain - current) * releaseCoefficient);
    }

    double getReleaseCoefficient() const { return releaseCoefficient; }
    float getEnvelope(int channel) const { return envelope[channel]; }
    void setEnvelope(int channel, float value) { envelope[channel] = value; }
    const float* getGainTable() const { return gainTable; }

private:
    double releaseCoefficient;
    float envelope[2];
    float* gainTable;
};
