#include "lv2/controlreader.h"

#include "effect/filtercore.h"
#include "effect/parameters.h"
#include "lv2/atombytes.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kMaxMidiBytes = 3;
constexpr int32_t kNoLearn = -2;

// The learn object's controller parameter or kLearnNone, or kNoLearn for any other object.
int32_t learnParameter(const AtomBytes& object, const Lv2Urids& urids) {
    if (objectType(object) != urids.learn) {
        return kNoLearn;
    }
    const std::optional<int32_t> parameter = intProperty(object, urids.parameter, urids.intType);
    return parameter && (isControllerParameter(*parameter) || *parameter == kLearnNone) ? *parameter
                                                                                        : kNoLearn;
}

// Where an event acts: within the block and no earlier than the event before it.
int32_t frameInBlock(int64_t time, int32_t previous, int32_t frames) {
    const int64_t last = std::max<int64_t>(int64_t{frames} - 1, previous);
    return static_cast<int32_t>(std::clamp<int64_t>(time, previous, last));
}

void passOn(const AtomBytes& payload, uint32_t type, int32_t frame, const Lv2Urids& urids,
            ControlReceiver& receiver) {
    if (type == urids.midiEvent) {
        if (payload.length() >= 1 && payload.length() <= kMaxMidiBytes) {
            uint8_t bytes[kMaxMidiBytes] = {};
            for (uint64_t i = 0; i < payload.length(); ++i) {
                bytes[i] = payload.read<uint8_t>(i);
            }
            receiver.midiEvent(frame, bytes[0], bytes[1], bytes[2]);
        }
    } else if (type == urids.object || type == urids.blank) {
        const int32_t parameter = learnParameter(payload, urids);
        if (parameter != kNoLearn) {
            receiver.learnRequested(frame, parameter);
        }
    }
}

} // namespace

void readControlSequence(const void* data, uint32_t size, int32_t frames, const Lv2Urids& urids,
                         ControlReceiver& receiver) {
    if (data == nullptr || size < sizeof(LV2_Atom_Sequence)) {
        return;
    }
    const auto* start = static_cast<const uint8_t*>(data);
    const auto header = AtomBytes(start, size).read<LV2_Atom_Sequence>(0);
    // Hosts leave the unit as their buffer held it, so any unit but beats counts as frames;
    // times in beats would need a tempo this plug-in is never given.
    if (header.atom.type != urids.sequence || header.body.unit == urids.beatTime) {
        return;
    }
    // The atom's own size, as far as the bytes given hold it.
    const AtomBytes sequence(start, std::min<uint64_t>(sizeof(LV2_Atom) + header.atom.size, size));
    int32_t frame = 0;
    uint64_t at = sizeof(LV2_Atom_Sequence);
    for (int32_t position = 0;
         position < FilterCore::kEventsReadPerBlock && sequence.holds(at, sizeof(LV2_Atom_Event));
         ++position) {
        const auto event = sequence.read<LV2_Atom_Event>(at);
        const uint64_t payload = at + sizeof(LV2_Atom_Event);
        if (!sequence.holds(payload, event.body.size)) {
            return;
        }
        frame = frameInBlock(event.time.frames, frame, frames);
        passOn(sequence.part(payload, event.body.size), event.body.type, frame, urids, receiver);
        at = paddedAtomSize(payload + event.body.size);
    }
}
