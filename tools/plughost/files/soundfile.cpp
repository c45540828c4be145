#include "tools/plughost/files/soundfile.h"

#include "tools/plughost/files/soundformat.h"
#include "tools/plughost/formats/vst2library.h"

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

// What a musician can do about a file libsndfile does not know (an .m4a, a .wma, a video). A
// name libsndfile knows is a file that is broken, not one to convert.
std::string unreadableAdvice(const std::string& path) {
    const std::string extension = lowercaseExtension(path);
    if (isAudioExtension(extension)) {
        return "not a ." + extension + " file plughost can read: it is damaged or cut short";
    }
    const std::string stem =
        path.substr(0, path.size() - (extension.empty() ? 0 : extension.size() + 1));
    return "not a kind of file plughost reads (" + readableFormats() +
           " and a few rarer ones); convert it first, e.g. with ffmpeg -i " + path + " " + stem +
           ".wav";
}

} // namespace

SoundFileReader::SoundFileReader(const std::string& path)
    : path(path), file(sf_open(path.c_str(), SFM_READ, &info)) {
    if (file == nullptr) {
        throw HostError("cannot read audio file " + path + ": " +
                        (sf_error(nullptr) == SF_ERR_UNRECOGNISED_FORMAT
                             ? unreadableAdvice(path)
                             : tidy(sf_strerror(nullptr))));
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

SoundFileWriter::SoundFileWriter(PendingOutput& output, FileType type, int preferred, int channels,
                                 int sampleRate)
    : output(output) {
    SF_INFO info{};
    info.format = chooseFormat(type, preferred, channels, sampleRate);
    info.channels = channels;
    info.samplerate = sampleRate;
    if (info.format == 0) {
        output.fail(noFormatAdvice(output.destination(), type, channels, sampleRate));
    }
    file = sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        output.fail(tidy(sf_strerror(nullptr)));
    }
    // The plug-in may overshoot full scale a little; integer formats then clip, not wrap.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk carries the time of writing; without it the same render gives the same bytes.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
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
