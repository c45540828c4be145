// An LV2 library for plughost's refusals: it answers for the Glide Filter's URI, so that a copy
// of that bundle with this library in place of the plug-in's describes it, and leaves the
// descriptor entries TEST_LV2_NULL names (connect_port, run, cleanup; comma-separated) null.
#include <lv2/core/lv2.h>

#include <cstdlib>
#include <string_view>

namespace {

int handle = 0;

LV2_Handle instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const*) {
    return &handle;
}

void connectPort(LV2_Handle, uint32_t, void*) {}

void run(LV2_Handle, uint32_t) {}

void cleanup(LV2_Handle) {}

bool leftNull(std::string_view entry) {
    const char* names = std::getenv("TEST_LV2_NULL");
    return names != nullptr && std::string_view(names).find(entry) != std::string_view::npos;
}

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    static LV2_Descriptor descriptor{};
    if (index != 0) {
        return nullptr;
    }
    descriptor = {"urn:glidefilter:plugin",
                  instantiate,
                  leftNull("connect_port") ? nullptr : connectPort,
                  nullptr,
                  leftNull("run") ? nullptr : run,
                  nullptr,
                  leftNull("cleanup") ? nullptr : cleanup,
                  nullptr};
    return &descriptor;
}
