// The library's exported entry: one independent effect instance per call.
#include "effect/AGain.h"
#include "frame/module.h"

#include <dlfcn.h>

#include <new>

namespace {

__attribute__((constructor)) void recordModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModuleHandle), &info) != 0) {
        moduleHandle = info.dli_fbase;
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
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

// Older hosts look the entry up as "main"; C++ reserves that name, so the symbol is an alias.
extern "C" __attribute__((visibility("default"), alias("VSTPluginMain"))) AEffect*
legacyMainEntry(audioMasterCallback host) __asm__("main");
