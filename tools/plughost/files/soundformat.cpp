#include "tools/plughost/files/soundformat.h"

#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/text.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <vector>

namespace plughost {
namespace {

// Names users give that libsndfile lists under another extension, or not at all.
struct ExtensionAlias {
    const char* extension;
    FileType type;
};
constexpr std::array kAliases = {
    ExtensionAlias{"aif", {SF_FORMAT_AIFF, 0}},
    ExtensionAlias{"ogg", {SF_FORMAT_OGG, SF_FORMAT_VORBIS}},
    ExtensionAlias{"opus", {SF_FORMAT_OGG, SF_FORMAT_OPUS}},
    ExtensionAlias{"mp3", {SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III}},
};

SF_FORMAT_INFO formatInfo(int command, int index) {
    SF_FORMAT_INFO info{};
    info.format = index;
    sf_command(nullptr, command, &info, sizeof info);
    return info;
}

int formatCount(int command) {
    int count = 0;
    sf_command(nullptr, command, &count, sizeof count);
    return count;
}

std::string extensionOf(int container) {
    for (int index = 0; index < formatCount(SFC_GET_FORMAT_MAJOR_COUNT); ++index) {
        const SF_FORMAT_INFO info = formatInfo(SFC_GET_FORMAT_MAJOR, index);
        if (info.format == container) {
            return info.extension;
        }
    }
    return "";
}

// libsndfile's list in its own order: the first container for an extension is the common one.
std::vector<std::string> writableExtensions() {
    std::vector<std::string> extensions;
    for (int index = 0; index < formatCount(SFC_GET_FORMAT_MAJOR_COUNT); ++index) {
        const std::string extension = formatInfo(SFC_GET_FORMAT_MAJOR, index).extension;
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
            extensions.push_back(extension);
        }
    }
    for (const ExtensionAlias& alias : kAliases) {
        extensions.emplace_back(alias.extension);
    }
    return extensions;
}

// A file that takes what libsndfile writes and keeps nothing: opening one proves a format
// writable where sf_format_check only approves it (it approves MP3 data in WAV, Opus at any
// rate, ...).
class DiscardingSink {
public:
    static SF_VIRTUAL_IO calls() {
        return {length, seek, [](void*, sf_count_t, void*) -> sf_count_t { return 0; }, write,
                position};
    }

private:
    static DiscardingSink& of(void* sink) { return *static_cast<DiscardingSink*>(sink); }
    static sf_count_t length(void* sink) { return of(sink).end; }
    static sf_count_t position(void* sink) { return of(sink).at; }
    static sf_count_t seek(sf_count_t offset, int whence, void* sink) {
        DiscardingSink& self = of(sink);
        self.at = offset + (whence == SEEK_CUR ? self.at : whence == SEEK_END ? self.end : 0);
        return self.at;
    }
    static sf_count_t write(const void*, sf_count_t count, void* sink) {
        DiscardingSink& self = of(sink);
        self.at += count;
        self.end = std::max(self.end, self.at);
        return count;
    }

    sf_count_t at = 0;
    sf_count_t end = 0;
};

bool writable(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (sf_format_check(&info) == 0) {
        return false;
    }
    SF_VIRTUAL_IO calls = DiscardingSink::calls();
    DiscardingSink sink;
    SNDFILE* file = sf_open_virtual(&calls, SFM_WRITE, &info, &sink);
    return file != nullptr && sf_close(file) == 0;
}

// The extensions a musician knows, in the order they are suggested instead.
constexpr std::array kCommonExtensions = {"wav", "flac", "aiff", "ogg", "mp3"};

// The containers most music comes in, as musicians call them.
struct KnownContainer {
    int container;
    const char* name;
};
constexpr std::array kKnownContainers = {
    KnownContainer{SF_FORMAT_WAV, "WAV"}, KnownContainer{SF_FORMAT_AIFF, "AIFF"},
    KnownContainer{SF_FORMAT_FLAC, "FLAC"}, KnownContainer{SF_FORMAT_OGG, "Ogg Vorbis, Opus"},
    KnownContainer{SF_FORMAT_MPEG, "MP3"}};

std::string oneOf(const std::vector<std::string>& extensions) {
    std::string text;
    for (size_t i = 0; i < extensions.size(); ++i) {
        text += (i == 0 ? "a ." : i + 1 == extensions.size() ? " or ." : ", .") + extensions[i];
    }
    return text;
}

struct BitsChoice {
    const char* name;
    int encoding;
};
constexpr std::array kBitsChoices = {BitsChoice{"16", SF_FORMAT_PCM_16},
                                     BitsChoice{"24", SF_FORMAT_PCM_24},
                                     BitsChoice{"32f", SF_FORMAT_FLOAT}};

std::string bitsList(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    }
    return text;
}

} // namespace

int encodingForBits(const std::string& bits) {
    std::vector<std::string> names;
    for (const BitsChoice& choice : kBitsChoices) {
        if (bits == choice.name) {
            return choice.encoding;
        }
        names.emplace_back(choice.name);
    }
    throw UsageError("bad --bits '" + bits + "': give " + bitsList(names));
}

FileType withEncoding(const std::string& path, FileType type, int encoding, int sampleRate) {
    std::string extension = lowercaseExtension(path);
    extension = extension.empty() ? extensionOf(type.container) : extension;
    if (type.encoding != 0) {
        throw UsageError("cannot write " + path + " with --bits: a ." + extension +
                         " file has an encoding of its own");
    }
    std::vector<std::string> held;
    for (const BitsChoice& choice : kBitsChoices) {
        if (writable(type.container | choice.encoding, 1, sampleRate)) {
            if (choice.encoding == encoding) {
                return {type.container, encoding};
            }
            held.emplace_back(choice.name);
        }
    }
    const auto asked =
        std::find_if(kBitsChoices.begin(), kBitsChoices.end(),
                     [encoding](const BitsChoice& choice) { return choice.encoding == encoding; });
    throw UsageError("cannot write " + path + " with --bits " + asked->name + ": a ." + extension +
                     " file takes " + (held.empty() ? "no --bits" : "--bits " + bitsList(held)));
}

bool isAudioExtension(const std::string& extension) {
    const std::vector<std::string> known = writableExtensions();
    return !extension.empty() && std::find(known.begin(), known.end(), extension) != known.end();
}

std::string lowercaseExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return "";
    }
    return lowercase(name.substr(dot + 1));
}

std::string readableFormats() {
    std::string names;
    for (const KnownContainer& known : kKnownContainers) {
        if (!extensionOf(known.container).empty()) { // this libsndfile knows it
            names += (names.empty() ? "" : ", ") + std::string(known.name);
        }
    }
    return names;
}

FileType fileTypeForName(const std::string& path, FileType otherwise) {
    const std::string extension = lowercaseExtension(path);
    if (extension.empty() || extension == extensionOf(otherwise.container)) {
        return otherwise;
    }
    for (const ExtensionAlias& alias : kAliases) {
        if (extension == alias.extension) {
            return alias.type;
        }
    }
    for (int index = 0; index < formatCount(SFC_GET_FORMAT_MAJOR_COUNT); ++index) {
        const SF_FORMAT_INFO info = formatInfo(SFC_GET_FORMAT_MAJOR, index);
        if (extension == info.extension) {
            return {info.format, 0};
        }
    }
    std::string known;
    for (const std::string& writableExtension : writableExtensions()) {
        known += (known.empty() ? "." : " .") + writableExtension;
    }
    throw UsageError("cannot write " + path + ": no audio format has the extension ." + extension +
                     " (plughost writes " + known + ")");
}

int chooseFormat(FileType type, int preferred, int channels, int sampleRate) {
    // An extension that names its encoding (.mp3, .opus) gets that one or none.
    std::vector<int> encodings = {type.encoding};
    if (type.encoding == 0) {
        encodings = {preferred & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT, SF_FORMAT_PCM_24,
                     SF_FORMAT_PCM_16};
        for (int index = 0; index < formatCount(SFC_GET_FORMAT_SUBTYPE_COUNT); ++index) {
            encodings.push_back(formatInfo(SFC_GET_FORMAT_SUBTYPE, index).format);
        }
    }
    for (const int encoding : encodings) {
        if (encoding != 0 && writable(type.container | encoding, channels, sampleRate)) {
            return type.container | encoding;
        }
    }
    return 0;
}

std::string noFormatAdvice(const std::string& path, FileType type, int channels, int sampleRate) {
    std::string extension = lowercaseExtension(path);
    extension = extension.empty() ? extensionOf(type.container) : extension;
    std::vector<std::string> instead;
    for (const char* common : kCommonExtensions) {
        if (common != extension && chooseFormat(fileTypeForName(std::string("x.") + common, {}), 0,
                                                channels, sampleRate) != 0) {
            instead.emplace_back(common);
        }
    }
    const std::string what = std::to_string(channels) + (channels == 1 ? " channel" : " channels") +
                             " at " + std::to_string(sampleRate) + " Hz";
    if (instead.empty()) {
        return "no kind of audio file plughost writes holds " + what;
    }
    return "a ." + extension + " file cannot hold " + what + "; " + oneOf(instead) + " file can";
}

} // namespace plughost
