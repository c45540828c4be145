#include "lv2/atombytes.h"

#include <lv2/atom/atom.h>

std::optional<LV2_URID> objectType(const AtomBytes& body) {
    if (!body.holds(0, sizeof(LV2_Atom_Object_Body))) {
        return std::nullopt;
    }
    return body.read<LV2_Atom_Object_Body>(0).otype;
}

std::optional<int32_t> intProperty(const AtomBytes& body, LV2_URID key, LV2_URID intType) {
    for (uint64_t at = sizeof(LV2_Atom_Object_Body);
         body.holds(at, sizeof(LV2_Atom_Property_Body));) {
        const auto property = body.read<LV2_Atom_Property_Body>(at);
        const uint64_t value = at + sizeof(LV2_Atom_Property_Body);
        if (!body.holds(value, property.value.size)) {
            break;
        }
        if (property.key == key && property.value.type == intType &&
            property.value.size == sizeof(int32_t)) {
            return body.read<int32_t>(value);
        }
        at = paddedAtomSize(value + property.value.size);
    }
    return std::nullopt;
}
