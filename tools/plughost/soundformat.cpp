#include "tools/plughost/soundformat.h"

#include "tools/plughost/options.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cctype>
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

std::string lowercaseExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return "";
    }
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

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

bool writable(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

} // namespace

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
    std::vector<int> encodings = {type.encoding, preferred & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT,
                                  SF_FORMAT_PCM_24, SF_FORMAT_PCM_16};
    for (int index = 0; index < formatCount(SFC_GET_FORMAT_SUBTYPE_COUNT); ++index) {
        encodings.push_back(formatInfo(SFC_GET_FORMAT_SUBTYPE, index).format);
    }
    for (const int encoding : encodings) {
        if (encoding != 0 && writable(type.container | encoding, channels, sampleRate)) {
            return type.container | encoding;
        }
    }
    return 0;
}

} // namespace plughost
