// The URIs the plug-in and its UI read or write, mapped once through the host's map: the atoms on
// `control` and `notify`, the learn messages, and the options either side reads.
#pragma once

#include <lv2/urid/urid.h>

#include <optional>

struct Lv2Urids {
    LV2_URID sequence;
    LV2_URID beatTime;
    LV2_URID midiEvent;
    LV2_URID object;
    LV2_URID blank;
    LV2_URID intType;
    LV2_URID floatType;
    LV2_URID eventTransfer;
    LV2_URID learn;
    LV2_URID learned;
    LV2_URID parameter;
    LV2_URID controller;
    LV2_URID sequenceSize;
    LV2_URID scaleFactor;

    // Nothing when the map answers 0, the number no URI has, for any of them: then the atom
    // ports are left alone, as without a map.
    static std::optional<Lv2Urids> map(LV2_URID_Map& map);
};
