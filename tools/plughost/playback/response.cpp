#include "tools/plughost/playback/response.h"

#include "tools/plughost/playback/renderer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <numbers>

namespace plughost {
namespace {

// Long enough for glides started by the settings to end and for coefficients to be set.
constexpr double kSettleSeconds = 0.5;
// Long enough for a resonance near 20 Hz to ring out before the window ends.
constexpr double kRecordSeconds = 3.0;
// The rotation is renewed from sine and cosine this often, so its rounding cannot build up.
constexpr size_t kRotationRenewal = 1024;
// Magnitudes below this (about -300 dB) count as silence.
constexpr double kSilence = 1.0e-15;

// Runs the plug-in for `frames` frames with the given input; collects one output's samples.
void run(Renderer& renderer, int64_t frames, const std::function<float(int64_t)>& inputAt,
         int32_t output, std::vector<float>* recorded) {
    for (int64_t start = 0; start < frames; start += kResponseBlockSize) {
        const auto count =
            static_cast<int32_t>(std::min<int64_t>(kResponseBlockSize, frames - start));
        for (int32_t channel = 0; channel < renderer.inputCount(); ++channel) {
            for (int32_t frame = 0; frame < count; ++frame) {
                renderer.input(channel)[frame] = inputAt(start + frame);
            }
        }
        renderer.processBlock({}, start, count);
        if (recorded != nullptr) {
            recorded->insert(recorded->end(), renderer.output(output),
                             renderer.output(output) + count);
        }
    }
}

void requireOutput(const Renderer& renderer, int32_t output) {
    if (output < 0 || output >= renderer.outputCount()) {
        throw UsageError("output " + std::to_string(output + 1) +
                         " does not exist: the plug-in has outputs 1 to " +
                         std::to_string(renderer.outputCount()));
    }
}

// The discrete-time Fourier transform of the samples at one frequency.
std::complex<double> spectrumAt(const std::vector<float>& samples, double frequency,
                                double sampleRate) {
    const double step = 2.0 * std::numbers::pi * frequency / sampleRate;
    const std::complex<double> rotation = std::polar(1.0, -step);
    std::complex<double> phase = 1.0;
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < samples.size(); ++n) {
        if (n % kRotationRenewal == 0) {
            phase = std::polar(1.0, -step * static_cast<double>(n));
        }
        sum += static_cast<double>(samples[n]) * phase;
        phase *= rotation;
    }
    return sum;
}

std::vector<double> logSpaced(double lowest, double highest, int points) {
    std::vector<double> frequencies;
    const double ratio = std::log(highest / lowest);
    for (int i = 0; i < points; ++i) {
        frequencies.push_back(lowest * std::exp(ratio * i / (points - 1)));
    }
    return frequencies;
}

} // namespace

MagnitudeResponse measureResponse(Plugin& plugin, const ResponseSettings& settings) {
    Renderer renderer(plugin, {settings.sampleRate, kResponseBlockSize, false});
    requireOutput(renderer, settings.output);
    const double rate = settings.sampleRate;
    run(
        renderer, static_cast<int64_t>(kSettleSeconds * rate), [](int64_t) { return 0.0f; },
        settings.output, nullptr);
    std::vector<float> impulseResponse;
    run(
        renderer, static_cast<int64_t>(kRecordSeconds * rate),
        [](int64_t frame) { return frame == 0 ? static_cast<float>(kResponseLevel) : 0.0f; },
        settings.output, &impulseResponse);

    MagnitudeResponse response{settings.output, {}, {}};
    const double highest = std::min(settings.highestFrequency, 0.49 * rate);
    response.frequencies = logSpaced(settings.lowestFrequency, highest, settings.points);
    for (double frequency : response.frequencies) {
        const double gain = std::abs(spectrumAt(impulseResponse, frequency, rate)) / kResponseLevel;
        response.decibels.push_back(20.0 * std::log10(std::max(gain, kSilence)));
    }
    return response;
}

std::string responseCsv(const MagnitudeResponse& response) {
    std::string csv = "frequency_hz,ch" + std::to_string(response.output + 1) + "_db\n";
    char row[64];
    for (size_t i = 0; i < response.frequencies.size(); ++i) {
        std::snprintf(row, sizeof row, "%.2f,%.3f\n", response.frequencies[i],
                      response.decibels[i]);
        csv += row;
    }
    return csv;
}

} // namespace plughost
