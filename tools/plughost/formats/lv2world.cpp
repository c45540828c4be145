#include "tools/plughost/formats/lv2world.h"

#include "tools/common/errors.h"
#include "tools/plughost/commands/text.h"
#include "tools/plughost/formats/pluginlookup.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace plughost {
namespace {

std::vector<const LilvPlugin*> pluginsIn(LilvWorld* world, const LilvNode* bundle) {
    std::vector<const LilvPlugin*> found;
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    LILV_FOREACH(plugins, i, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, i);
        if (lilv_node_equals(lilv_plugin_get_bundle_uri(plugin), bundle)) {
            found.push_back(plugin);
        }
    }
    return found;
}

std::string searchedFolders() {
    const char* path = std::getenv("LV2_PATH");
    if (path == nullptr) {
        return "in lilv's default folders (LV2_PATH is not set)";
    }
    return "on LV2_PATH (" + std::string(path) + ")";
}

} // namespace

std::string textOf(const LilvNode* node) {
    if (node == nullptr) {
        return "";
    }
    const char* text = lilv_node_as_string(node);
    return text != nullptr ? text : "";
}

std::string fileOf(const LilvNode* uri) {
    char* path = lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr);
    std::string file = path != nullptr ? path : textOf(uri);
    lilv_free(path);
    return file;
}

Lv2World::Lv2World() : world(lilv_world_new()) {
    if (world == nullptr) {
        throw HostError("cannot start lilv, the LV2 host library");
    }
}

Lv2World::~Lv2World() {
    lilv_world_free(world);
}

Node Lv2World::uri(const char* text) const {
    return Node(lilv_new_uri(world, text));
}

const LilvPlugin* Lv2World::find(const std::string& argument) {
    const std::string place = findPlugin(argument).location;
    if (place.find(':') != std::string::npos && !std::filesystem::exists(place)) {
        return findByUri(place);
    }
    return findInBundle(place);
}

const LilvPlugin* Lv2World::findInBundle(const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw HostError("cannot find LV2 bundle " + folder + ": no such folder");
    }
    if (!std::filesystem::is_regular_file(std::filesystem::path(folder) / "manifest.ttl", error)) {
        throw HostError(folder + " is no LV2 bundle: it has no manifest.ttl");
    }
    // lilv knows a bundle by its URI, which ends in a slash.
    std::string absolute = std::filesystem::absolute(folder).lexically_normal().string();
    if (!absolute.ends_with('/')) {
        absolute += '/';
    }
    const Node bundle(lilv_new_file_uri(world, nullptr, absolute.c_str()));
    lilv_world_load_bundle(world, bundle.get());
    const std::vector<const LilvPlugin*> plugins = pluginsIn(world, bundle.get());
    if (plugins.empty()) {
        throw HostError("the LV2 bundle " + folder + " describes no plug-in");
    }
    if (plugins.size() > 1) {
        std::vector<std::string> uris;
        for (const LilvPlugin* plugin : plugins) {
            uris.push_back(textOf(lilv_plugin_get_uri(plugin)));
        }
        throw HostError("the LV2 bundle " + folder + " describes " +
                        std::to_string(plugins.size()) + " plug-ins: give the URI of one (" +
                        joined(uris) + ")");
    }
    return plugins.front();
}

const LilvPlugin* Lv2World::findByUri(const std::string& uri) {
    lilv_world_load_all(world);
    const Node node = this->uri(uri.c_str());
    const LilvPlugin* plugin =
        node ? lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node.get()) : nullptr;
    if (plugin == nullptr) {
        std::vector<std::string> uris;
        const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
        LILV_FOREACH(plugins, i, plugins) {
            uris.push_back(textOf(lilv_plugin_get_uri(lilv_plugins_get(plugins, i))));
        }
        throw HostError("cannot find LV2 plug-in " + uri + ": no bundle " + searchedFolders() +
                        " describes it" + closestOf(uri, uris));
    }
    return plugin;
}

} // namespace plughost
