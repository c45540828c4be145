#include "tools/plughost/lv2atomsequence.h"

#include <cstring>

namespace plughost {
namespace {

constexpr size_t kAtomAlignment = 8;

size_t padded(size_t size) {
    return (size + kAtomAlignment - 1) / kAtomAlignment * kAtomAlignment;
}

} // namespace

size_t midiMessageLength(uint8_t status) {
    if (status >= 0xC0 && status < 0xE0) { // program change, channel pressure
        return 2;
    }
    if (status < 0xF0) {
        return 3;
    }
    switch (status) {
    case 0xF1: // time code quarter frame
    case 0xF3: // song select
        return 2;
    case 0xF2: // song position
        return 3;
    default:
        return 1;
    }
}

AtomSequenceBuffer::AtomSequenceBuffer(const Types& types, size_t capacity)
    : types(types), storage(padded(capacity) / sizeof(uint64_t)) {}

LV2_Atom_Sequence* AtomSequenceBuffer::sequence() {
    return reinterpret_cast<LV2_Atom_Sequence*>(storage.data());
}

LV2_Atom_Sequence* AtomSequenceBuffer::fill(std::span<const TimedMidiEvent> events,
                                            int64_t blockStart) {
    const size_t eventSize = padded(sizeof(LV2_Atom_Event) + 3);
    const size_t needed = sizeof(LV2_Atom_Sequence) + events.size() * eventSize;
    if (needed > capacity()) {
        storage.resize(padded(needed) / sizeof(uint64_t));
    }
    std::memset(storage.data(), 0, needed);
    LV2_Atom_Sequence* head = sequence();
    head->atom.type = types.sequence;
    head->atom.size = sizeof(LV2_Atom_Sequence_Body);
    head->body.unit = 0; // frames
    auto* cursor = reinterpret_cast<std::byte*>(head + 1);
    for (const TimedMidiEvent& event : events) {
        auto* atomEvent = reinterpret_cast<LV2_Atom_Event*>(cursor);
        atomEvent->time.frames = event.frame - blockStart;
        atomEvent->body.type = types.midiEvent;
        atomEvent->body.size = static_cast<uint32_t>(midiMessageLength(event.data[0]));
        std::memcpy(atomEvent + 1, event.data.data(), atomEvent->body.size);
        const size_t size = padded(sizeof(LV2_Atom_Event) + atomEvent->body.size);
        head->atom.size += static_cast<uint32_t>(size);
        cursor += size;
    }
    return head;
}

LV2_Atom_Sequence* AtomSequenceBuffer::prepareOutput() {
    LV2_Atom_Sequence* head = sequence();
    head->atom.type = types.chunk;
    head->atom.size = static_cast<uint32_t>(capacity() - sizeof(LV2_Atom));
    return head;
}

} // namespace plughost
