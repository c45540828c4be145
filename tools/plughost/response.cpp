#include "tools/plughost/response.h"

#include "tools/plughost/renderer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <numbers>

namespace plughost {
namespace {

constexpr int32_t kBlockSize = 512;
// Long enough for glides started by the settings to end and for coefficients to be set.
constexpr double kSettleSeconds = 0.5;
// Long enough for a resonance near 20 Hz to ring out before the window ends.
constexpr double kRecordSeconds = 3.0;
// The rotation is renewed from sine and cosine this often, so its rounding cannot build up.
constexpr size_t kRotationRenewal = 1024;
// Magnitudes below this (about -300 dB) count as silence.
constexpr double kSilence = 1.0e-15;

// Runs the plug-in for `frames` frames with the given input; collects each output channel.
void run(Renderer& renderer, int64_t frames, const std::function<float(int64_t)>& inputAt,
         std::vector<std::vector<float>>* recorded) {
    for (int64_t start = 0; start < frames; start += kBlockSize) {
        const auto count = static_cast<int32_t>(std::min<int64_t>(kBlockSize, frames - start));
        for (int32_t channel = 0; channel < renderer.inputCount(); ++channel) {
            for (int32_t frame = 0; frame < count; ++frame) {
                renderer.input(channel)[frame] = inputAt(start + frame);
            }
        }
        renderer.processBlock({}, start, count);
        if (recorded != nullptr) {
            for (int32_t channel = 0; channel < renderer.outputCount(); ++channel) {
                auto& samples = (*recorded)[static_cast<size_t>(channel)];
                samples.insert(samples.end(), renderer.output(channel),
                               renderer.output(channel) + count);
            }
        }
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

MagnitudeResponse measureResponse(const PluginInstance& plugin, const ResponseSettings& settings) {
    Renderer renderer(plugin, {settings.sampleRate, kBlockSize, false});
    const double rate = settings.sampleRate;
    run(
        renderer, static_cast<int64_t>(kSettleSeconds * rate), [](int64_t) { return 0.0f; },
        nullptr);
    std::vector<std::vector<float>> impulseResponses(static_cast<size_t>(renderer.outputCount()));
    run(
        renderer, static_cast<int64_t>(kRecordSeconds * rate),
        [](int64_t frame) { return frame == 0 ? static_cast<float>(kResponseLevel) : 0.0f; },
        &impulseResponses);

    MagnitudeResponse response;
    const double highest = std::min(settings.highestFrequency, 0.49 * rate);
    response.frequencies = logSpaced(settings.lowestFrequency, highest, settings.points);
    for (const auto& samples : impulseResponses) {
        std::vector<double> decibels;
        for (double frequency : response.frequencies) {
            const double gain = std::abs(spectrumAt(samples, frequency, rate)) / kResponseLevel;
            decibels.push_back(20.0 * std::log10(std::max(gain, kSilence)));
        }
        response.decibels.push_back(std::move(decibels));
    }
    return response;
}

std::string responseCsv(const MagnitudeResponse& response) {
    std::string csv = "frequency_hz";
    for (size_t channel = 0; channel < response.decibels.size(); ++channel) {
        csv += ",ch" + std::to_string(channel + 1) + "_db";
    }
    csv += "\n";
    char number[32];
    for (size_t i = 0; i < response.frequencies.size(); ++i) {
        std::snprintf(number, sizeof number, "%.2f", response.frequencies[i]);
        csv += number;
        for (const auto& channel : response.decibels) {
            std::snprintf(number, sizeof number, ",%.3f", channel[i]);
            csv += number;
        }
        csv += "\n";
    }
    return csv;
}

} // namespace plughost
