#include "tools/plughost/formats/lv2urimap.h"

namespace plughost {
namespace {

LV2_URID mapThrough(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<UridMap*>(handle)->map(uri);
}

const char* unmapThrough(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    return static_cast<const UridMap*>(handle)->unmap(urid);
}

} // namespace

UridMap::UridMap() : mapData{this, mapThrough}, unmapData{this, unmapThrough} {}

// 0 is no URI: a null one maps to nothing.
LV2_URID UridMap::map(const char* uri) {
    if (uri == nullptr) {
        return 0;
    }
    const std::lock_guard lock(mutex);
    const auto [entry, added] = numbers.try_emplace(uri, static_cast<LV2_URID>(uris.size() + 1));
    if (added) {
        uris.emplace_back(uri);
    }
    return entry->second;
}

const char* UridMap::unmap(LV2_URID urid) const {
    const std::lock_guard lock(mutex);
    return urid == 0 || urid > uris.size() ? nullptr : uris[urid - 1].c_str();
}

} // namespace plughost
