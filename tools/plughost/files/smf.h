// Standard MIDI Files (formats 0 and 1): channel messages placed at frames of a sample rate
// through the file's tempo map.
#pragma once

#include "tools/plughost/playback/midievents.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace plughost {

class SmfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The channel messages of every track in time order (messages at the same tick in track order,
// then file order). Throws SmfError naming what is wrong with a malformed file.
std::vector<TimedMidiEvent> readStandardMidiFile(std::span<const uint8_t> bytes, double sampleRate);

// Reads the file at path; throws HostError with the path and the reason.
std::vector<TimedMidiEvent> loadStandardMidiFile(const std::string& path, double sampleRate);

} // namespace plughost
