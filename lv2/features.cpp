#include "lv2/features.h"

#include <cstring>

void* featureData(const LV2_Feature* const* features, const char* uri) {
    for (; features != nullptr && *features != nullptr; ++features) {
        const LV2_Feature& feature = **features;
        if (feature.URI != nullptr && std::strcmp(feature.URI, uri) == 0) {
            return feature.data;
        }
    }
    return nullptr;
}

LV2_URID_Map* uridMapOf(const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(featureData(features, LV2_URID__map));
    return map != nullptr && map->map != nullptr ? map : nullptr;
}
