// The module handle on Linux: the library's base address, recorded when it is loaded.
#include "frame/module.h"

#include <dlfcn.h>

namespace {

__attribute__((constructor)) void recordModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModuleHandle), &info) != 0) {
        moduleHandle = info.dli_fbase;
    }
}

} // namespace
