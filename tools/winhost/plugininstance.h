// A VST 2 plug-in DLL loaded the way Windows hosts load it (LoadLibrary, then the entry by name),
// and the one instance the Windows host makes of it.
#pragma once

#include "frame/aeffect.h"

#include <windows.h>

#include <string>

namespace winhost {

class PluginInstance {
public:
    // Loads the DLL at `path`, makes an instance and opens it; throws std::runtime_error naming
    // the file when any of that fails.
    explicit PluginInstance(const std::string& path);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    AEffect& record() const { return *effect; }

private:
    HMODULE module = nullptr;
    AEffect* effect = nullptr;
};

} // namespace winhost
