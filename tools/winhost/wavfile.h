// WAV files as the Windows host reads and writes them: 16-, 24- and 32-bit integer and 32-bit
// float samples in, 32-bit float out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winhost {

struct Sound {
    int32_t channels = 0;
    int32_t sampleRate = 0;
    // Interleaved, full scale at 1.0.
    std::vector<float> samples;

    int64_t frames() const { return channels > 0 ? std::ssize(samples) / channels : 0; }
};

// Throws std::runtime_error naming the file when it cannot be read or is no WAV file it takes.
Sound readWav(const std::string& path);
// Throws std::runtime_error naming the file when it cannot be written.
void writeWav(const std::string& path, const Sound& sound);

} // namespace winhost
