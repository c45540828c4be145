#include "gui/platform.h"

namespace {

class X11Platform : public Platform {
public:
    std::unique_ptr<PlatformWindow> openWindow(void*, int32_t, int32_t, WindowEvents&) override {
        return nullptr;
    }
};

} // namespace

Platform& nativePlatform() {
    static X11Platform platform;
    return platform;
}
