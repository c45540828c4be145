// Audio at another sample rate, converted as it is read with libsamplerate's best converter, so
// that a render at a rate other than its input's keeps the input's pitch and length.
#pragma once

#include "tools/plughost/files/audiosource.h"

#include <samplerate.h>

#include <string>
#include <vector>

namespace plughost {

class Resampler : public AudioSource {
public:
    // Reads `source`, at `fromRate`, as audio at `toRate`; throws HostError naming `name` when
    // libsamplerate cannot convert between the two.
    Resampler(AudioSource& source, int fromRate, int toRate, const std::string& name);
    ~Resampler() override;
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    int channels() const override { return source.channels(); }
    // The source's length at the new rate, as near as a whole frame comes.
    int64_t frames() const override;
    int64_t read(float* interleaved, int64_t count) override;

private:
    // Refills the input buffer once the converter has taken all of it.
    void readSourceIfTaken();

    AudioSource& source;
    std::string name;
    double ratio;
    SRC_STATE* state = nullptr;
    std::vector<float> pending; // interleaved source frames not yet converted
    int64_t pendingOffset = 0;  // in frames
    int64_t pendingFrames = 0;
    bool sourceEnded = false;
    int64_t delivered = 0;
};

} // namespace plughost
