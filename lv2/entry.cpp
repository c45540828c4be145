// The one name the bundle's library exports: hosts ask it for the plug-ins the library holds.
#include "lv2/filterplugin.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &filterPluginDescriptor() : nullptr;
}
