// plughost generate: a bright test input (a sawtooth chord) for trying a filter without any
// audio file at hand; 16-bit where the output's format holds it.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/files/soundfile.h"
#include "tools/plughost/files/soundformat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plughost {
namespace {

const CommandLine::OptionSet kGenerateOptions{{"--seconds", "--rate"}, {}};

// A major chord over two octaves, rich in harmonics up to the top of the spectrum.
constexpr std::array<double, 5> kChordHz = {110.0, 164.81, 220.0, 277.18, 329.63};
constexpr double kVoiceLevel = 0.14;
// Left and right are detuned against each other, so the chord beats and sounds wide.
constexpr double kDetune = 0.003;
constexpr double kAttackSeconds = 0.02;
constexpr double kReleaseSeconds = 0.2;
constexpr int32_t kChunkFrames = 4096;

// A sawtooth from -1 to 1.
class SawChord {
public:
    SawChord(double sampleRate, double detune) {
        for (size_t voice = 0; voice < kChordHz.size(); ++voice) {
            increments[voice] = kChordHz[voice] * (1.0 + detune) / sampleRate;
            phases[voice] = 0.37 * static_cast<double>(voice); // avoid one big edge at the start
        }
    }
    double next() {
        double sum = 0.0;
        for (size_t voice = 0; voice < kChordHz.size(); ++voice) {
            sum += kVoiceLevel * (2.0 * phases[voice] - 1.0);
            phases[voice] = std::fmod(phases[voice] + increments[voice], 1.0);
        }
        return sum;
    }

private:
    std::array<double, kChordHz.size()> increments{};
    std::array<double, kChordHz.size()> phases{};
};

double envelopeAt(int64_t frame, int64_t total, double sampleRate) {
    const double seconds = static_cast<double>(frame) / sampleRate;
    const double remaining = static_cast<double>(total - frame) / sampleRate;
    return std::min({1.0, seconds / kAttackSeconds, remaining / kReleaseSeconds});
}

} // namespace

int runGenerate(const Arguments& arguments) {
    const CommandLine line(arguments, kGenerateOptions);
    requireArgumentCount(line, 1, "generate");
    const double seconds =
        parseNumber(line.value("--seconds").value_or("4"), "length in seconds", 0.1, 3600.0);
    const int rate = parseSampleRate(line.value("--rate").value_or("44100"));
    const auto total = static_cast<int64_t>(seconds * rate);

    const std::string& outputPath = line.positional()[0];
    const FileType type = fileTypeForName(outputPath, {SF_FORMAT_WAV, 0});
    PendingOutput output(outputPath);
    SoundFileWriter writer(output, type, SF_FORMAT_PCM_16, 2, rate);
    SawChord left(rate, -kDetune);
    SawChord right(rate, kDetune);
    std::vector<float> frames;
    for (int64_t start = 0; start < total; start += kChunkFrames) {
        const int64_t count = std::min<int64_t>(kChunkFrames, total - start);
        frames.clear();
        for (int64_t frame = start; frame < start + count; ++frame) {
            const double envelope = envelopeAt(frame, total, rate);
            frames.push_back(static_cast<float>(envelope * left.next()));
            frames.push_back(static_cast<float>(envelope * right.next()));
        }
        writer.write(frames.data(), count);
    }
    writer.close();
    output.commit();
    return 0;
}

} // namespace plughost
