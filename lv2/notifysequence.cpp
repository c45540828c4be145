#include "lv2/notifysequence.h"

namespace {

// An event holding the learned object: its time, the object's header, and two properties each
// with an int padded to 8 bytes.
constexpr uint32_t kLearnedEventSize =
    sizeof(int64_t) + sizeof(LV2_Atom_Object) + 2 * (sizeof(LV2_Atom_Property_Body) + 8);

} // namespace

NotifySequence::NotifySequence(LV2_URID_Map& map, const Lv2Urids& urids)
    : learnedType(urids.learned), parameterKey(urids.parameter), controllerKey(urids.controller) {
    lv2_atom_forge_init(&forge, &map);
}

void NotifySequence::begin(LV2_Atom_Sequence* port) {
    open = false;
    if (port == nullptr) {
        return;
    }
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(port), port->atom.size);
    open = lv2_atom_forge_sequence_head(&forge, &sequenceFrame, 0) != 0;
    if (!open) {
        // Too little room for an empty sequence: the null atom, in the header the host wrote.
        port->atom.size = 0;
        port->atom.type = 0;
    }
}

void NotifySequence::learned(int64_t frame, int32_t parameter, int32_t controller) {
    if (!open || forge.offset + kLearnedEventSize > forge.size) {
        return;
    }
    LV2_Atom_Forge_Frame objectFrame;
    lv2_atom_forge_frame_time(&forge, frame);
    lv2_atom_forge_object(&forge, &objectFrame, 0, learnedType);
    lv2_atom_forge_key(&forge, parameterKey);
    lv2_atom_forge_int(&forge, parameter);
    lv2_atom_forge_key(&forge, controllerKey);
    lv2_atom_forge_int(&forge, controller);
    lv2_atom_forge_pop(&forge, &objectFrame);
}
