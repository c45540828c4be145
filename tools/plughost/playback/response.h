// Measures a plug-in's magnitude response with a low-level impulse, so that any saturation in the
// plug-in stays out of the way.
#pragma once

#include "tools/plughost/formats/plugin.h"

#include <string>
#include <vector>

namespace plughost {

struct MagnitudeResponse {
    int32_t output;                  // the output measured, from 0
    std::vector<double> frequencies; // hertz, logarithmically spaced
    std::vector<double> decibels;    // per frequency
};

struct ResponseSettings {
    float sampleRate = 44100.0f;
    int32_t output = 0; // from 0; only this one is recorded, however many the plug-in has
    double lowestFrequency = 20.0;
    double highestFrequency = 20000.0; // cut to just below half the sample rate
    int points = 400;
};

// The block size the measurement plays at; an LV2 plug-in is loaded for it.
constexpr int32_t kResponseBlockSize = 512;

// The level of the test impulse: -60 dBFS.
constexpr double kResponseLevel = 0.001;

// Settles the plug-in on silence (its parameters already set), then records the output's answer
// to an impulse on every input and evaluates its spectrum at the measurement frequencies. Throws
// UsageError when the plug-in has no such output.
MagnitudeResponse measureResponse(Plugin& plugin, const ResponseSettings& settings);

// "frequency_hz,ch1_db" (the output's number from 1) with one row per frequency.
std::string responseCsv(const MagnitudeResponse& response);

} // namespace plughost
