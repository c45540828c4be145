// The UI library's entry: hosts ask it for the UIs it holds, then drive one through these calls.
#include "lv2/ui/filterui.h"
#include "lv2/uris.h"

#include <cstring>

namespace {

FilterUi& ui(LV2UI_Handle handle) {
    return *static_cast<FilterUi*>(handle);
}

// After a call in which the host cleaned the UI up, the object goes.
void releaseIfDone(FilterUi& instance) {
    if (instance.releasable()) {
        delete &instance;
    }
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    return FilterUi::create(write, controller, widget, features);
}

void cleanup(LV2UI_Handle handle) {
    ui(handle).cleanup();
    releaseIfDone(ui(handle));
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    ui(handle).portEvent(port, size, format, buffer);
    releaseIfDone(ui(handle));
}

int idle(LV2UI_Handle handle) {
    FilterUi& instance = ui(handle);
    const int closed = instance.idle();
    releaseIfDone(instance);
    return closed;
}

constexpr LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
    return uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface
                                                                          : nullptr;
}

constexpr LV2UI_Descriptor kDescriptor = {kLv2UiUri, instantiate, cleanup, portEvent,
                                          extensionData};

} // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
