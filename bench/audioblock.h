// What the audio benchmarks share: a host that answers only the version query, and one block of
// stereo noise with room for the output.
#pragma once

#include "frame/aeffect.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

inline intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The same level gives the same input in every block made.
struct AudioBlock {
    AudioBlock(int32_t frames, float level)
        : left(frames), right(frames), outLeft(frames), outRight(frames) {
        std::mt19937 random(7);
        std::normal_distribution<float> noise(0.0f, level);
        for (int32_t i = 0; i < frames; ++i) {
            left[i] = noise(random);
            right[i] = noise(random);
        }
    }
    std::vector<float> left, right, outLeft, outRight;
    std::array<float*, 2> inputs{left.data(), right.data()};
    std::array<float*, 2> outputs{outLeft.data(), outRight.data()};
};
