// The host interface as first defined, for a host that needs it: the host is told to call the
// accumulating entry and asked for MIDI with audioMasterWantMidi only; the replacing entry
// replaces the output and weighs the resonance half as much.
#include "effect/AGain.h"

namespace {

constexpr double kReplacingResonanceFactor = 0.2;

} // namespace

void FilterEffect::announceHostInterface() {
    canProcessReplacing(false);
}

void FilterEffect::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    core.process<OutputMode::replace>(inputs, outputs, sampleFrames, kReplacingResonanceFactor);
}

intptr_t FilterEffect::canDo(char*) {
    return 0;
}
