#include "tools/plughost/playback/resampler.h"

#include "tools/common/errors.h"

#include <algorithm>
#include <cmath>

namespace plughost {
namespace {

constexpr int64_t kSourceChunk = 4096;

} // namespace

Resampler::Resampler(AudioSource& source, int fromRate, int toRate, const std::string& name)
    : source(source), name(name), ratio(static_cast<double>(toRate) / fromRate),
      pending(static_cast<size_t>(kSourceChunk * source.channels())) {
    if (src_is_valid_ratio(ratio) == 0) {
        throw HostError("cannot resample " + name + " from " + std::to_string(fromRate) +
                        " Hz to " + std::to_string(toRate) +
                        " Hz: libsamplerate converts by a factor of 256 at most");
    }
    int error = 0;
    state = src_new(SRC_SINC_BEST_QUALITY, source.channels(), &error);
    if (state == nullptr) {
        throw HostError("cannot resample " + name + ": " + src_strerror(error));
    }
}

Resampler::~Resampler() {
    src_delete(state);
}

int64_t Resampler::frames() const {
    return std::llround(static_cast<double>(source.frames()) * ratio);
}

void Resampler::readSourceIfTaken() {
    if (pendingFrames == 0 && !sourceEnded) {
        pendingFrames = source.read(pending.data(), kSourceChunk);
        pendingOffset = 0;
        sourceEnded = pendingFrames == 0;
    }
}

int64_t Resampler::read(float* interleaved, int64_t count) {
    const int64_t width = source.channels();
    // The converter's last output reaches a little past the end of the source.
    if (frames() > 0) {
        count = std::min(count, frames() - delivered);
    }
    int64_t produced = 0;
    while (produced < count) {
        readSourceIfTaken();
        SRC_DATA data{};
        data.data_in = pending.data() + pendingOffset * width;
        data.input_frames = static_cast<long>(pendingFrames);
        data.data_out = interleaved + produced * width;
        data.output_frames = static_cast<long>(count - produced);
        data.src_ratio = ratio;
        data.end_of_input = sourceEnded ? 1 : 0;
        if (const int error = src_process(state, &data); error != 0) {
            throw HostError("cannot resample " + name + ": " + src_strerror(error));
        }
        pendingOffset += data.input_frames_used;
        pendingFrames -= data.input_frames_used;
        produced += data.output_frames_gen;
        if (sourceEnded && data.output_frames_gen == 0) {
            break;
        }
    }
    delivered += produced;
    return produced;
}

} // namespace plughost
