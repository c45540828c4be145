#include "lv2/features.h"

#include <lv2/core/lv2_util.h>

#include <cstring>

LV2_URID_Map* uridMapOf(const LV2_Feature* const* features) {
    auto* map = static_cast<LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map));
    return map != nullptr && map->map != nullptr ? map : nullptr;
}

template <typename Value>
std::optional<Value> optionValue(const LV2_Options_Option* options, LV2_URID key, LV2_URID type) {
    for (; options != nullptr && (options->key != 0 || options->value != nullptr); ++options) {
        if (options->key == key && options->type == type && options->size == sizeof(Value) &&
            options->value != nullptr) {
            Value value;
            std::memcpy(&value, options->value, sizeof value);
            return value;
        }
    }
    return std::nullopt;
}

template std::optional<int32_t> optionValue(const LV2_Options_Option*, LV2_URID, LV2_URID);
template std::optional<float> optionValue(const LV2_Options_Option*, LV2_URID, LV2_URID);
