#include "effect/AGain.h"

int32_t FilterEffect::processEvents(VstEvents* events) {
    core.beginEvents();
    const int32_t count = events != nullptr ? events->numEvents : 0;
    // The host allocates as many pointers as it announces; the record declares only two.
    VstEvent* const* list = events != nullptr ? events->events : nullptr;
    for (int32_t position = 0; position < count; ++position) {
        const VstEvent* event = list[position];
        if (event == nullptr || event->type != kVstMidiType) {
            continue;
        }
        if (position >= FilterCore::kEventsReadPerBlock) {
            break;
        }
        const auto& midi = *reinterpret_cast<const VstMidiEvent*>(event);
        core.addMidiEvent(midi.deltaFrames, static_cast<uint8_t>(midi.midiData[0]),
                          static_cast<uint8_t>(midi.midiData[1]),
                          static_cast<uint8_t>(midi.midiData[2]));
    }
    return 1;
}
