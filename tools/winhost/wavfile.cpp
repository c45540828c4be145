#include "tools/winhost/wavfile.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace winhost {
namespace {

constexpr uint16_t kIntegerFormat = 1;
constexpr uint16_t kFloatFormat = 3;
constexpr uint16_t kExtensibleFormat = 0xfffe;
constexpr size_t kRiffHeader = 12;
constexpr size_t kChunkHeader = 8;
constexpr size_t kFormatSize = 16;
// Formats other than integer samples carry the size of their (here empty) extension.
constexpr size_t kFloatFormatSize = 18;
constexpr size_t kExtensibleFormatSize = 26;

uint32_t little(const std::vector<unsigned char>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + static_cast<size_t>(i)];
    }
    return value;
}

struct Format {
    uint16_t code = 0;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t bits = 0;
};

Format readFormat(const std::vector<unsigned char>& bytes, size_t at, size_t size) {
    if (size < kFormatSize) {
        return {};
    }
    Format format{static_cast<uint16_t>(little(bytes, at, 2)),
                  static_cast<int32_t>(little(bytes, at + 2, 2)),
                  static_cast<int32_t>(little(bytes, at + 4, 4)),
                  static_cast<int32_t>(little(bytes, at + 14, 2))};
    if (format.code == kExtensibleFormat && size >= kExtensibleFormatSize) {
        // The sub-format's first two bytes are the plain format's code.
        format.code = static_cast<uint16_t>(little(bytes, at + 24, 2));
    }
    return format;
}

float sampleAt(const std::vector<unsigned char>& bytes, size_t at, const Format& format) {
    if (format.code == kFloatFormat) {
        const uint32_t bits = little(bytes, at, 4);
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const int32_t size = format.bits / 8;
    // Sign-extended from the top of a 32-bit word, then scaled to full scale.
    const auto word = static_cast<int32_t>(little(bytes, at, size) << (32 - format.bits));
    return static_cast<float>(static_cast<double>(word) / 2147483648.0);
}

bool takes(const Format& format) {
    const bool integer = format.code == kIntegerFormat &&
                         (format.bits == 16 || format.bits == 24 || format.bits == 32);
    const bool floating = format.code == kFloatFormat && format.bits == 32;
    return (integer || floating) && format.channels > 0 && format.sampleRate > 0;
}

void putLittle(std::string& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

} // namespace

Sound readWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() < kRiffHeader || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        throw std::runtime_error(path + " is not a WAV file");
    }
    Format format;
    size_t at = kRiffHeader;
    while (at + kChunkHeader <= bytes.size()) {
        const size_t size =
            std::min<size_t>(little(bytes, at + 4, 4), bytes.size() - at - kChunkHeader);
        const size_t body = at + kChunkHeader;
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0) {
            format = readFormat(bytes, body, size);
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            if (!takes(format)) {
                throw std::runtime_error(
                    path +
                    ": only 16-, 24- and 32-bit integer and 32-bit float WAV files are read");
            }
            Sound sound{format.channels, format.sampleRate, {}};
            const size_t step = static_cast<size_t>(format.bits / 8);
            const size_t count = size / step / static_cast<size_t>(format.channels) *
                                 static_cast<size_t>(format.channels);
            sound.samples.reserve(count);
            for (size_t i = 0; i < count; ++i) {
                sound.samples.push_back(sampleAt(bytes, body + i * step, format));
            }
            return sound;
        }
        at = body + size + (size & 1);
    }
    throw std::runtime_error(path + " holds no audio");
}

void writeWav(const std::string& path, const Sound& sound) {
    const auto dataSize = static_cast<uint32_t>(sound.samples.size() * sizeof(float));
    std::string out = "RIFF";
    putLittle(out,
              static_cast<uint32_t>(4 + kChunkHeader + kFloatFormatSize + kChunkHeader) + dataSize,
              4);
    out += "WAVEfmt ";
    putLittle(out, kFloatFormatSize, 4);
    putLittle(out, kFloatFormat, 2);
    putLittle(out, static_cast<uint32_t>(sound.channels), 2);
    putLittle(out, static_cast<uint32_t>(sound.sampleRate), 4);
    putLittle(out, static_cast<uint32_t>(sound.sampleRate * sound.channels) * 4, 4);
    putLittle(out, static_cast<uint32_t>(sound.channels) * 4, 2);
    putLittle(out, 32, 2);
    putLittle(out, 0, 2);
    out += "data";
    putLittle(out, dataSize, 4);
    for (float sample : sound.samples) {
        uint32_t bits = 0;
        std::memcpy(&bits, &sample, sizeof bits);
        putLittle(out, bits, 4);
    }
    std::ofstream file(path, std::ios::binary);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size()))) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace winhost
