// Which audio file format an output gets: the container from the name's extension, the sample
// format from what the caller prefers, within what libsndfile can write.
#pragma once

#include <string>

namespace plughost {

// The name's extension in lowercase, without the dot; empty when it has none.
std::string lowercaseExtension(const std::string& path);

struct FileType {
    int container; // SF_FORMAT_WAV, SF_FORMAT_FLAC, ...
    int encoding;  // the sample format the extension implies (.mp3: layer III), or 0
};

// The type for the output's extension; `otherwise` when the name has none, or when `otherwise`
// is a container with this very extension (a WAVEX input stays WAVEX in a .wav). Throws
// UsageError naming the extensions libsndfile writes when it writes none like this one.
FileType fileTypeForName(const std::string& path, FileType otherwise);

// The full format, one libsndfile can open for writing: the type's own encoding when it has one
// (and nothing else then), else `preferred`, else float, 24-bit or 16-bit PCM, else the first
// encoding the container takes; 0 when none holds these channels at this rate.
int chooseFormat(FileType type, int preferred, int channels, int sampleRate);

// The sample format --bits names: "16", "24" (bit integers) or "32f" (32-bit float). Throws
// UsageError listing those for any other name.
int encodingForBits(const std::string& bits);

// The type with the given sample format, checked against what the container holds; throws
// UsageError naming the --bits it takes instead, or saying that its extension fixes the encoding.
FileType withEncoding(const std::string& path, FileType type, int encoding, int sampleRate);

// Whether libsndfile knows files named with this extension (lowercase, without the dot).
bool isAudioExtension(const std::string& extension);

// "WAV, AIFF, FLAC, ..." as musicians name them, for messages about files plughost cannot read.
std::string readableFormats();

// Why chooseFormat found nothing, and which common formats would do, in a musician's words.
std::string noFormatAdvice(const std::string& path, FileType type, int channels, int sampleRate);

} // namespace plughost
