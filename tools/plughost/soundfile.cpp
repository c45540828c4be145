#include "tools/plughost/soundfile.h"

#include "tools/plughost/pluginhost.h"

#include <algorithm>

namespace plughost {
namespace {

// libsndfile's messages read "System error : No such file or directory." or "Error : ...";
// plughost's read "...: No such file or directory".
std::string tidy(const char* message) {
    std::string text = message != nullptr ? message : "unknown error";
    for (const std::string prefix : {"System error : ", "Error : "}) {
        if (text.starts_with(prefix)) {
            text.erase(0, prefix.size());
        }
    }
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

SoundFileReader::SoundFileReader(const std::string& path)
    : path(path), file(sf_open(path.c_str(), SFM_READ, &info)) {
    if (file == nullptr) {
        throw HostError("cannot read audio file " + path + ": " + tidy(sf_strerror(nullptr)));
    }
    if (info.channels < 1) {
        sf_close(file);
        throw HostError("cannot read audio file " + path + ": it has no channels");
    }
}

SoundFileReader::~SoundFileReader() {
    sf_close(file);
}

int64_t SoundFileReader::read(float* interleaved, int64_t count) {
    const sf_count_t got = sf_readf_float(file, interleaved, count);
    if (got < count && sf_error(file) != SF_ERR_NO_ERROR) {
        throw HostError("cannot read audio file " + path + ": " + tidy(sf_strerror(file)));
    }
    return got;
}

SoundFileWriter::SoundFileWriter(PendingOutput& output, int format, int channels, int sampleRate)
    : output(output) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (format == 0 || !sf_format_check(&info)) {
        output.fail("its audio format cannot hold " + std::to_string(channels) + " channels at " +
                    std::to_string(sampleRate) + " Hz");
    }
    file = sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        output.fail(tidy(sf_strerror(nullptr)));
    }
    // The plug-in may overshoot full scale a little; integer formats then clip, not wrap.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundFileWriter::~SoundFileWriter() {
    if (file != nullptr) {
        sf_close(file);
    }
}

void SoundFileWriter::write(const float* interleaved, int64_t count) {
    if (sf_writef_float(file, interleaved, count) != count) {
        output.fail(tidy(sf_strerror(file)));
    }
}

void SoundFileWriter::close() {
    const int error = sf_close(file);
    file = nullptr;
    if (error != 0) {
        output.fail(tidy(sf_error_number(error)));
    }
}

} // namespace plughost
