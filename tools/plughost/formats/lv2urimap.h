// The URI map an LV2 host gives its plug-ins (urid:map and urid:unmap): every URI gets a number
// of its own for the life of the host, from 1 on.
#pragma once

#include <lv2/urid/urid.h>

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace plughost {

class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    // Null for a number never handed out.
    const char* unmap(LV2_URID urid) const;

    // The features, pointing at this map.
    LV2_URID_Map* mapFeature() { return &mapData; }
    LV2_URID_Unmap* unmapFeature() { return &unmapData; }

private:
    // A plug-in may map from any of its threads.
    mutable std::mutex mutex;
    std::unordered_map<std::string, LV2_URID> numbers;
    std::deque<std::string> uris; // urid - 1; a deque keeps the texts where unmap handed them
    LV2_URID_Map mapData;
    LV2_URID_Unmap unmapData;
};

} // namespace plughost
