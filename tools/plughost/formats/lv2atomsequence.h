// The buffers of an LV2 plug-in's atom sequence ports: an input filled with a block's MIDI
// events, or an output handed over empty with room for the plug-in to write.
#pragma once

#include "tools/plughost/playback/midievents.h"

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <span>
#include <vector>

namespace plughost {

// One atom, its header and body, as a UI writes it to a port.
using AtomMessage = std::vector<uint8_t>;

// The MIDI message's length by its status byte.
size_t midiMessageLength(uint8_t status);

class AtomSequenceBuffer {
public:
    struct Types {
        LV2_URID sequence;  // atom:Sequence
        LV2_URID chunk;     // atom:Chunk
        LV2_URID midiEvent; // midi:MidiEvent
    };

    AtomSequenceBuffer(const Types& types, size_t capacity);

    // `messages` (whole atoms, header and body, as a UI writes them) at the block's first frame,
    // then the events as midi:MidiEvent atoms at their frames in the block; the buffer grows when
    // they need more room, so the port must be connected to the returned address again.
    LV2_Atom_Sequence* fill(std::span<const TimedMidiEvent> events, int64_t blockStart,
                            std::span<const AtomMessage> messages = {});
    // An output's buffer as a host hands it over: a chunk with the whole capacity free.
    LV2_Atom_Sequence* prepareOutput();
    size_t capacity() const { return storage.size() * sizeof(uint64_t); }
    // The atoms of the sequence a plug-in wrote to an output, in order, as far as the buffer holds
    // them: nothing when it wrote none (or no sequence).
    std::vector<AtomMessage> writtenAtoms() const;

private:
    LV2_Atom_Sequence* sequence();

    Types types;
    std::vector<uint64_t> storage; // atoms are aligned to 64 bits
};

} // namespace plughost
