#include "tools/plughost/formats/lv2atomsequence.h"

#include <cstddef>
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
                                            int64_t blockStart,
                                            std::span<const AtomMessage> messages) {
    size_t needed = sizeof(LV2_Atom_Sequence) + events.size() * padded(sizeof(LV2_Atom_Event) + 3);
    for (const AtomMessage& message : messages) {
        needed += padded(sizeof(LV2_Atom_Event) + message.size());
    }
    if (needed > capacity()) {
        storage.resize(padded(needed) / sizeof(uint64_t));
    }
    std::memset(storage.data(), 0, needed);
    LV2_Atom_Sequence* head = sequence();
    head->atom.type = types.sequence;
    head->atom.size = sizeof(LV2_Atom_Sequence_Body);
    head->body.unit = 0; // frames
    auto* cursor = reinterpret_cast<std::byte*>(head + 1);
    const auto append = [head, &cursor](int64_t frame, const LV2_Atom& body, const void* data) {
        auto* atomEvent = reinterpret_cast<LV2_Atom_Event*>(cursor);
        atomEvent->time.frames = frame;
        atomEvent->body = body;
        std::memcpy(atomEvent + 1, data, body.size);
        const size_t size = padded(sizeof(LV2_Atom_Event) + body.size);
        head->atom.size += static_cast<uint32_t>(size);
        cursor += size;
    };
    for (const AtomMessage& message : messages) {
        LV2_Atom body{};
        std::memcpy(&body, message.data(), sizeof body);
        append(0, body, message.data() + sizeof body);
    }
    for (const TimedMidiEvent& event : events) {
        const LV2_Atom body{static_cast<uint32_t>(midiMessageLength(event.data[0])),
                            types.midiEvent};
        append(event.frame - blockStart, body, event.data.data());
    }
    return head;
}

LV2_Atom_Sequence* AtomSequenceBuffer::prepareOutput() {
    LV2_Atom_Sequence* head = sequence();
    head->atom.type = types.chunk;
    head->atom.size = static_cast<uint32_t>(capacity() - sizeof(LV2_Atom));
    return head;
}

std::vector<AtomMessage> AtomSequenceBuffer::writtenAtoms() const {
    std::vector<AtomMessage> atoms;
    const auto* bytes = reinterpret_cast<const uint8_t*>(storage.data());
    LV2_Atom_Sequence head;
    std::memcpy(&head, bytes, sizeof head);
    if (head.atom.type != types.sequence || head.atom.size > capacity() - sizeof(LV2_Atom)) {
        return atoms;
    }
    const size_t end = sizeof(LV2_Atom) + head.atom.size;
    for (size_t at = sizeof(LV2_Atom_Sequence); at + sizeof(LV2_Atom_Event) <= end;) {
        LV2_Atom_Event event;
        std::memcpy(&event, bytes + at, sizeof event);
        const size_t body = at + sizeof(LV2_Atom_Event);
        if (event.body.size > end - body) {
            break;
        }
        const auto* atom = bytes + at + offsetof(LV2_Atom_Event, body);
        atoms.emplace_back(atom, atom + sizeof(LV2_Atom) + event.body.size);
        at = body + padded(event.body.size);
    }
    return atoms;
}

} // namespace plughost
