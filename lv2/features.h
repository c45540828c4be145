// Reading what the host offers at instantiation, for the plug-in and its UI alike.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

// The data of the host's feature `uri`; null when the host does not offer it or the list is null.
void* featureData(const LV2_Feature* const* features, const char* uri);
// The host's URI map; null when it offers none or one without its map function.
LV2_URID_Map* uridMapOf(const LV2_Feature* const* features);
