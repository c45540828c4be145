// The `notify` port's atom sequence, written afresh each block: an empty sequence, then the
// learn reports of the block, each only when it fits whole in the room the host gives.
#pragma once

#include "lv2/urids.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>

#include <cstdint>

class NotifySequence {
public:
    NotifySequence(LV2_URID_Map& map, const Lv2Urids& urids);

    // The port's sequence (null when unconnected) for this block, with the room the host set in
    // its header.
    void begin(LV2_Atom_Sequence* port);
    // The controller number a controller parameter learned, at a frame of the block.
    void learned(int64_t frame, int32_t parameter, int32_t controller);

private:
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    bool open = false;
    LV2_URID learnedType;
    LV2_URID parameterKey;
    LV2_URID controllerKey;
};
