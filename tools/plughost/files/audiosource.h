// Frames of audio read in order, channels interleaved: from a file, or converted on the way.
#pragma once

#include <cstdint>

namespace plughost {

class AudioSource {
public:
    virtual ~AudioSource() = default;

    virtual int channels() const = 0;
    // Total frames, or 0 when it is not known beforehand.
    virtual int64_t frames() const = 0;
    // Reads up to `count` frames into `interleaved` (channels() floats per frame); returns the
    // number read, 0 at the end.
    virtual int64_t read(float* interleaved, int64_t count) = 0;
};

} // namespace plughost
