// How plughost finds the plug-in a user names: a path, a bundle's folder name looked up on the
// LV2 folders, an LV2 URI, a VST 2 file looked up on the VST 2 folders, or a plug-in's name
// among every plug-in installed there. And the list of them all.
#pragma once

#include "tools/plughost/formats/plugin.h"

#include <string>
#include <vector>

namespace plughost {

struct PluginPlace {
    PluginFormat format;
    std::string location; // a library's path, a bundle's folder or an LV2 URI
};

struct InstalledPlugin {
    PluginFormat format;
    std::string name;
    std::string location; // the library's path (VST 2) or the URI (LV2)
};

// "; the closest: a, b, c": the names nearest to the one wanted, for a message; "" for none.
std::string closestOf(const std::string& wanted, std::vector<std::string> names);

// LV2_PATH's folders, else lilv's defaults: ~/.lv2, the multiarch library folder's lv2,
// /usr/lib/lv2, /usr/local/lib/lv2.
std::vector<std::string> lv2Folders();

// In this order: a path (a folder is an LV2 bundle, a file a VST 2 library), a file or folder
// of this folder, a URI, NAME.lv2 on lv2Folders(), NAME or NAME.so on pluginFolders(), and a
// plug-in's name (in any capitals; LV2 plug-ins first). Throws HostError saying what was
// searched and which names come closest. Each argument is looked up once.
PluginPlace findPlugin(const std::string& argument);

// Every plug-in found where findPlugin looks: lilv's LV2 plug-ins, then each VST 2 library of
// pluginFolders() that loads (each tried in a process of its own, so that one that crashes or
// prints is passed over), by name.
std::vector<InstalledPlugin> installedPlugins();

} // namespace plughost
