#include "tools/winhost/plugininstance.h"

#include <cstdio>
#include <stdexcept>

namespace winhost {
namespace {

constexpr intptr_t kHostVersion = 2400;

// The host answers only the version question, as plughost's default host does, and prints what
// the plug-in automates.
intptr_t host(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt) {
    if (opcode == audioMasterAutomate) {
        std::printf("automate index=%d value=%.6f\n", index, static_cast<double>(opt));
        std::fflush(stdout);
    }
    return opcode == audioMasterVersion ? kHostVersion : 0;
}

using Entry = AEffect* (*)(audioMasterCallback);

Entry entryOf(HMODULE module) {
    FARPROC found = GetProcAddress(module, "VSTPluginMain");
    if (found == nullptr) {
        found = GetProcAddress(module, "main");
    }
    // NOLINTNEXTLINE(bugprone-casting-through-void): a looked-up entry has no other type
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(found));
}

} // namespace

PluginInstance::PluginInstance(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        throw std::runtime_error("cannot load " + path + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    const Entry entry = entryOf(module);
    effect = entry != nullptr ? entry(&host) : nullptr;
    if (effect == nullptr || effect->magic != kEffectMagic || effect->dispatcher == nullptr) {
        FreeLibrary(module);
        throw std::runtime_error(path + " gives no VST 2 plug-in");
    }
    dispatch(effOpen);
}

PluginInstance::~PluginInstance() {
    dispatch(effClose);
    FreeLibrary(module);
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

} // namespace winhost
