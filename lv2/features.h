// Reading what the host offers at instantiation, for the plug-in and its UI alike.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>

// The host's URI map; null when it offers none or one without its map function.
LV2_URID_Map* uridMapOf(const LV2_Feature* const* features);

// The value of option `key` in the host's options (null for none), if the host gives it with
// `type` and the size of `Value`.
template <typename Value>
std::optional<Value> optionValue(const LV2_Options_Option* options, LV2_URID key, LV2_URID type);

extern template std::optional<int32_t> optionValue(const LV2_Options_Option*, LV2_URID, LV2_URID);
extern template std::optional<float> optionValue(const LV2_Options_Option*, LV2_URID, LV2_URID);
