// The host interface of today's hosts: they call only the replacing entry, may pass the same
// buffers as input and output, and route MIDI to an effect only when it answers the capability
// words. The replacing entry writes exactly what the accumulating one adds to a cleared buffer,
// so the effect sounds the same whichever entry a host calls.
#include "effect/AGain.h"

#include <cstring>

void FilterEffect::announceHostInterface() {
    canProcessReplacing(true);
}

void FilterEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    core.process<OutputMode::addToSilence>(inputs, outputs, sampleFrames, kResonanceFactor);
}

intptr_t FilterEffect::canDo(char* text) {
    if (text == nullptr) {
        return 0;
    }
    return std::strcmp(text, "receiveVstEvents") == 0 ||
                   std::strcmp(text, "receiveVstMidiEvent") == 0
               ? 1
               : 0;
}
