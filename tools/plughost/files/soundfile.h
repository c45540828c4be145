// Audio files through libsndfile: any format it reads, frames interleaved as it gives them.
#pragma once

#include "tools/common/pendingoutput.h"
#include "tools/plughost/files/audiosource.h"
#include "tools/plughost/files/soundformat.h"

#include <sndfile.h>

#include <cstdint>
#include <string>

namespace plughost {

class SoundFileReader : public AudioSource {
public:
    // Throws HostError("cannot read audio file PATH: reason").
    explicit SoundFileReader(const std::string& path);
    ~SoundFileReader() override;
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    int channels() const override { return info.channels; }
    int sampleRate() const { return info.samplerate; }
    int format() const { return info.format; }
    // 0 when the format does not tell.
    int64_t frames() const override { return info.frames; }
    int64_t read(float* interleaved, int64_t count) override;

private:
    std::string path;
    SF_INFO info{};
    SNDFILE* file = nullptr;
};

class SoundFileWriter {
public:
    // Writes into the pending output's temporary file in the format chooseFormat picks; throws
    // HostError naming the destination, and formats that would do, when none holds this many
    // channels at this rate.
    SoundFileWriter(PendingOutput& output, FileType type, int preferred, int channels,
                    int sampleRate);
    ~SoundFileWriter();
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    void write(const float* interleaved, int64_t count);
    // Finishes the file (headers, trailing data); the pending output may be committed after it.
    void close();

private:
    PendingOutput& output;
    SNDFILE* file = nullptr;
};

} // namespace plughost
