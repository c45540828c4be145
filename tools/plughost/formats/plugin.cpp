#include "tools/plughost/formats/plugin.h"

#include "tools/common/errors.h"
#include "tools/plughost/formats/lv2plugin.h"
#include "tools/plughost/formats/vst2plugin.h"

#include <filesystem>

namespace plughost {

PluginFormat pluginFormatOf(const std::string& argument) {
    std::error_code error;
    const bool exists = std::filesystem::exists(argument, error);
    const bool bundleName = argument.ends_with(".lv2") || argument.ends_with(".lv2/");
    const bool uri = argument.find(':') != std::string::npos && !exists;
    return std::filesystem::is_directory(argument, error) || bundleName || uri ? PluginFormat::lv2
                                                                               : PluginFormat::vst2;
}

std::unique_ptr<Plugin> loadPlugin(const std::string& argument, const LoadSettings& settings) {
    if (pluginFormatOf(argument) == PluginFormat::lv2) {
        return std::make_unique<Lv2Plugin>(argument, settings);
    }
    return loadVst2Plugin(argument);
}

} // namespace plughost
