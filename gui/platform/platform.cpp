#include "gui/platform/platform.h"

#include <ctime>

namespace {
Platform* installed = nullptr;
}

uint32_t Platform::ticks() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(milliseconds);
}

int32_t Platform::editorScale(int32_t hostScale) {
    return hostScale != 0 ? hostScale : 1;
}

Platform& currentPlatform() {
    return installed != nullptr ? *installed : nativePlatform();
}

void setPlatform(Platform* platform) {
    installed = platform;
}
