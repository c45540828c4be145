// MIDI messages placed at frames of a render, and the per-block event lists a host hands over.
#pragma once

#include "frame/aeffect.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace plughost {

struct TimedMidiEvent {
    int64_t frame;
    std::array<uint8_t, 3> data;

    friend bool operator==(const TimedMidiEvent&, const TimedMidiEvent&) = default;
};

// All events of a render in frame order; events on the same frame keep the order they were added
// in, which is the order a file or the command line gave them.
class EventSchedule {
public:
    void add(const TimedMidiEvent& event);
    void add(std::span<const TimedMidiEvent> events);

    // The events with start <= frame < start + frames. Blocks must be asked for in order.
    std::span<const TimedMidiEvent> nextBlock(int64_t start, int32_t frames);
    // Events at or after the given frame: they fall beyond the end of the input.
    size_t countFrom(int64_t frame) const;
    bool empty() const { return events.empty(); }

private:
    void sortIfNeeded();

    std::vector<TimedMidiEvent> events;
    size_t cursor = 0;
    bool sorted = true;
};

// The VstEvents record for one block, laid out as hosts lay it out: the list's pointer array
// is as long as the block needs, and each event's deltaFrames is its offset within the block.
class VstEventBlock {
public:
    VstEvents* fill(std::span<const TimedMidiEvent> events, int64_t blockStart);

private:
    std::vector<VstMidiEvent> midiEvents;
    std::unique_ptr<std::byte[]> listStorage;
    size_t listCapacity = 0;
};

} // namespace plughost
