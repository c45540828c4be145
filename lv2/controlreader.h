// The `control` port's atom sequence, read as any host, or anything posing as one, may fill it.
// Only the bytes given are read, whatever sizes the atoms claim; an event that does not fit in
// them ends the reading. MIDI events of one to three bytes and the learn object are passed on,
// in the sequence's order, from at most FilterCore::kEventsReadPerBlock positions (as the VST 2
// build reads a host's event list); anything else is skipped. A time outside the block, or
// before the event ahead of it, is moved to the nearest frame of the block that keeps the order,
// so that one bad time stamp cannot hold back the block's later events.
#pragma once

#include "lv2/urids.h"

#include <cstdint>

// The learn message's parameter that takes learning back.
inline constexpr int32_t kLearnNone = -1;

class ControlReceiver {
public:
    // Missing data bytes are zero.
    virtual void midiEvent(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2) = 0;
    // The parameter is one of the controller parameters, kCcCutoff..kCcSmooth, or kLearnNone to
    // take learning back.
    virtual void learnRequested(int32_t frame, int32_t parameter) = 0;

protected:
    ~ControlReceiver() = default;
};

// `size` bytes from `sequence` (an LV2_Atom_Sequence, not necessarily aligned), for a block of
// `frames` frames.
void readControlSequence(const void* sequence, uint32_t size, int32_t frames, const Lv2Urids& urids,
                         ControlReceiver& receiver);
