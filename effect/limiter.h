// Output limiter: a gain curve looked up by level, instant attack, exponential release.
#pragma once

#include "effect/stereo.h"

#include <cstdint>

class Limiter {
public:
    static constexpr int kTableSize = 32768;
    static constexpr double kIndexScale = 4096.0;
    // Keeps the interpolation's upper neighbour inside the table.
    static constexpr double kHighestIndex = 32760.0;
    // Every level below it gets exactly gain 1.0: its index and the upper neighbour stay within
    // the entries 0 .. 4096, which are all 1.0.
    static constexpr double kUnityGainLevel = 1.0;

    Limiter();
    ~Limiter();
    Limiter(const Limiter&) = delete;
    Limiter& operator=(const Limiter&) = delete;

    void setRelease(float timeMs, float sampleRate);
    void reset();

    // The per-sample step for both channels. The audio loop keeps a chain in locals for a
    // block and stores its envelopes back once; nothing in it feeds back into the filter.
    class Chain {
    public:
        Chain(const float* table, double release, Stereo envelope)
            : envelope(envelope), table(table), release(both(release)) {}

        // The samples scaled by the new envelopes.
        Stereo apply(Stereo samples) { return limit(samples, gainFor(samples)); }

        // The same, with the samples' gain from the table already looked up.
        Stereo limit(Stereo samples, Stereo gain) {
            envelope = nextEnvelope(gain);
            return samples * envelope;
        }

        Stereo gainFor(Stereo samples) const {
            // Also catches a level that is not a number, which would index anywhere.
            const Stereo index = limitedTo(magnitude(samples) * kIndexScale, both(kHighestIndex));
            const auto [left, right, whole] = truncated(index);
            const Stereo fraction = index - whole;
            const Stereo lower{table[left], table[right]};
            const Stereo upper{table[left + 1], table[right + 1]};
            return lower + fraction * (upper - lower);
        }

        // Attack within the sample, release by a share of the remaining gap. Released toward a
        // lower gain the envelope stays above it, toward a higher one below it (the share is 0
        // to 1), so the lesser of the two is the attack or the release as due.
        Stereo nextEnvelope(Stereo gain) const {
            const Stereo released = envelope + (gain - envelope) * release;
            return roundedToFloatQuickly(limitedTo(gain, released));
        }

        // At rest, levels below kUnityGainLevel leave the envelope where it is, and the limiter
        // only scales by it: the envelope is at 1.0, or so close below it that a release step
        // no longer moves the float.
        bool rests() const { return bothEqual(nextEnvelope(both(1.0)), envelope); }
        static bool restsAt(Stereo samples) {
            return bothBelow(magnitude(samples), both(kUnityGainLevel));
        }

        Stereo envelope;

    private:
        const float* table;
        Stereo release;
    };

    Chain chain() const {
        return Chain(gainTable, releaseCoefficient, Stereo{envelope[0], envelope[1]});
    }
    void keep(const Chain& chain) {
        envelope[0] = static_cast<float>(chain.envelope[0]);
        envelope[1] = static_cast<float>(chain.envelope[1]);
    }

    // One sample outside the audio loop.
    Stereo apply(Stereo samples) {
        Chain step = chain();
        const Stereo out = step.apply(samples);
        keep(step);
        return out;
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
