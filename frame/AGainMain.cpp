// The library's exported entry: one independent effect instance per call.
#include "effect/AGain.h"

#include <new>

#ifdef _WIN32
// The module definition file lists the exports, "main" among them.
#define PLUGIN_EXPORT
#else
#define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    try {
        return (new FilterEffect(host))->getAeffect();
    } catch (...) {
        // No exception may reach the host: a failed creation is a null record.
        return nullptr;
    }
}

#ifndef _WIN32
// Older hosts look the entry up as "main"; C++ reserves that name, so the symbol is an alias.
extern "C" __attribute__((visibility("default"), alias("VSTPluginMain"))) AEffect*
legacyMainEntry(audioMasterCallback host) __asm__("main");
#endif
