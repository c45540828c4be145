#include "tools/plughost/formats/plugin.h"

#include "tools/common/errors.h"
#include "tools/plughost/formats/lv2plugin.h"
#include "tools/plughost/formats/pluginlookup.h"
#include "tools/plughost/formats/vst2plugin.h"

namespace plughost {

PluginFormat pluginFormatOf(const std::string& argument) {
    return findPlugin(argument).format;
}

std::unique_ptr<Plugin> loadPlugin(const std::string& argument, const LoadSettings& settings) {
    const PluginPlace place = findPlugin(argument);
    if (place.format == PluginFormat::lv2) {
        return std::make_unique<Lv2Plugin>(place.location, settings);
    }
    return loadVst2Plugin(place.location);
}

} // namespace plughost
