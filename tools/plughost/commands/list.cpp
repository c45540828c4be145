// plughost list: every plug-in plughost finds by name, one a line.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/text.h"
#include "tools/plughost/formats/pluginlookup.h"

#include <algorithm>
#include <cstdio>

namespace plughost {

int runList(const Arguments& arguments) {
    const CommandLine line(arguments, {});
    requireArgumentCount(line, 0, "list");
    const std::vector<InstalledPlugin> plugins = installedPlugins();
    size_t nameWidth = 0;
    for (const InstalledPlugin& plugin : plugins) {
        nameWidth = std::max(nameWidth, printable(plugin.name).size());
    }
    for (const InstalledPlugin& plugin : plugins) {
        const std::string name = printable(plugin.name);
        std::printf("%-5s %s%s %s\n", plugin.format == PluginFormat::lv2 ? "LV2" : "VST2",
                    name.c_str(), std::string(nameWidth - name.size(), ' ').c_str(),
                    printable(plugin.location).c_str());
    }
    return 0;
}

} // namespace plughost
