// Arbitrary bytes as a Standard MIDI File: the reader either gives events in time order or
// refuses the file with SmfError; it never crashes, hangs or reads outside the input.
#include "tools/plughost/files/smf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the render rate, so timing arithmetic is fuzzed at several rates.
    static constexpr double kRates[] = {8000.0, 44100.0, 48000.0, 96000.0, 768000.0};
    if (size == 0) {
        return 0;
    }
    const double rate = kRates[data[0] % std::size(kRates)];
    try {
        const auto events = plughost::readStandardMidiFile(std::span(data + 1, size - 1), rate);
        for (size_t i = 1; i < events.size(); ++i) {
            if (events[i].frame < events[i - 1].frame || events[i].frame < 0) {
                std::abort();
            }
        }
    } catch (const plughost::SmfError&) {
    }
    return 0;
}
