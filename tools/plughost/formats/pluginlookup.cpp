#include "tools/plughost/formats/pluginlookup.h"

#include "tools/common/errors.h"
#include "tools/plughost/commands/text.h"
#include "tools/plughost/formats/capturedstderr.h"
#include "tools/plughost/formats/lv2world.h"
#include "tools/plughost/formats/vst2library.h"
#include "tools/plughost/formats/vst2plugin.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace plughost {
namespace {

namespace fs = std::filesystem;

// A library that takes longer than this to tell its name is passed over.
constexpr int kScanMilliseconds = 10000;
constexpr size_t kClosestNames = 3;

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : "";
}

// lilv reads "~/" in LV2_PATH as the home folder.
std::string expandedHome(const std::string& folder) {
    return folder.starts_with("~/") ? homeFolder() + folder.substr(1) : folder;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> previous(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        std::vector<size_t> current(b.size() + 1);
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t change = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, change});
        }
        previous = std::move(current);
    }
    return previous[b.size()];
}

} // namespace

std::string closestOf(const std::string& wanted, std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::stable_sort(names.begin(), names.end(), [&wanted](const auto& a, const auto& b) {
        return editDistance(lowercase(wanted), lowercase(a)) <
               editDistance(lowercase(wanted), lowercase(b));
    });
    names.resize(std::min(names.size(), kClosestNames));
    return names.empty() ? "" : "; the closest: " + joined(names);
}

namespace {

std::string lv2FoldersText() {
    const char* path = std::getenv("LV2_PATH");
    return (path != nullptr ? "LV2_PATH: " : "lilv's default folders: ") + joined(lv2Folders());
}

std::vector<std::string> bundleNames() {
    std::vector<std::string> names;
    for (const std::string& folder : lv2Folders()) {
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            if (entry->path().extension() == ".lv2") {
                names.push_back(entry->path().filename().string());
            }
        }
    }
    return names;
}

PluginPlace bundleOnLv2Folders(const std::string& name) {
    for (const std::string& folder : lv2Folders()) {
        std::error_code error;
        if (fs::is_directory(fs::path(folder) / name, error)) {
            return {PluginFormat::lv2, (fs::path(folder) / name).string()};
        }
    }
    throw HostError("cannot find LV2 bundle " + name + ": no such folder in " + lv2FoldersText() +
                    closestOf(name, bundleNames()));
}

std::optional<PluginPlace> fileOnVst2Folders(const std::string& name) {
    for (const std::string& folder : pluginFolders()) {
        for (const std::string& file : {name, name + ".so"}) {
            std::error_code error;
            if (fs::is_regular_file(fs::path(folder) / file, error)) {
                return PluginPlace{PluginFormat::vst2, folder + "/" + file};
            }
        }
    }
    return std::nullopt;
}

std::vector<InstalledPlugin> installedLv2Plugins() {
    const CapturedStderr lilvWarnings; // about other bundles, not for this list
    Lv2World world;
    lilv_world_load_all(world.get());
    std::vector<InstalledPlugin> found;
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world.get());
    LILV_FOREACH(plugins, i, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, i);
        const Node name(lilv_plugin_get_name(plugin));
        const std::string uri = textOf(lilv_plugin_get_uri(plugin));
        found.push_back({PluginFormat::lv2, name ? textOf(name.get()) : uri, uri});
    }
    return found;
}

// The name the library's plug-in gives, asked in a child process; none when it cannot be
// loaded, crashes or hangs.
std::optional<std::string> vst2NameOf(const std::string& path) {
    int channel[2];
    if (pipe(channel) != 0) {
        return std::nullopt;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        dup2(nowhere, STDERR_FILENO);
        try {
            PluginLibrary library(path);
            RecordingHost host;
            const PluginInstance instance(library, host);
            const std::string name = Vst2Plugin(instance, path).name();
            _exit(write(channel[1], name.data(), name.size()) == static_cast<ssize_t>(name.size())
                      ? 0
                      : 1);
        } catch (...) {
            _exit(1);
        }
    }
    close(channel[1]);
    std::string name;
    pollfd readable{channel[0], POLLIN, 0};
    char buffer[256];
    while (child > 0 && poll(&readable, 1, kScanMilliseconds) == 1) {
        const ssize_t size = read(channel[0], buffer, sizeof buffer);
        if (size <= 0) {
            break;
        }
        name.append(buffer, static_cast<size_t>(size));
    }
    close(channel[0]);
    if (child <= 0) {
        return std::nullopt;
    }
    kill(child, SIGKILL); // one that hangs; the others have ended
    int status = 0;
    waitpid(child, &status, 0);
    const bool answered = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return answered ? std::optional(name) : std::nullopt;
}

// Each library once, however many folders lead to it.
std::vector<std::string> vst2Libraries() {
    std::vector<std::string> libraries;
    std::set<fs::path> seen;
    for (const std::string& folder : pluginFolders()) {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            std::error_code kind;
            if (entry->path().extension() == ".so" && entry->is_regular_file(kind)) {
                files.push_back(entry->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            if (seen.insert(fs::weakly_canonical(file, error)).second) {
                libraries.push_back(file.string());
            }
        }
    }
    return libraries;
}

std::vector<InstalledPlugin> installedVst2Plugins() {
    std::vector<InstalledPlugin> found;
    for (const std::string& library : vst2Libraries()) {
        if (const std::optional<std::string> name = vst2NameOf(library)) {
            found.push_back({PluginFormat::vst2, *name, library});
        }
    }
    return found;
}

std::optional<PluginPlace> namedAmong(const std::vector<InstalledPlugin>& plugins,
                                      const std::string& name) {
    for (const InstalledPlugin& plugin : plugins) {
        if (lowercase(plugin.name) == lowercase(name)) {
            return PluginPlace{plugin.format, plugin.location};
        }
    }
    return std::nullopt;
}

PluginPlace pluginNamed(const std::string& name) {
    const std::vector<InstalledPlugin> lv2 = installedLv2Plugins();
    if (const auto found = namedAmong(lv2, name)) {
        return *found;
    }
    const std::vector<InstalledPlugin> vst2 = installedVst2Plugins();
    if (const auto found = namedAmong(vst2, name)) {
        return *found;
    }
    std::vector<std::string> names;
    for (const std::vector<InstalledPlugin>* plugins : {&lv2, &vst2}) {
        for (const InstalledPlugin& plugin : *plugins) {
            names.push_back(plugin.name);
        }
    }
    throw HostError("cannot find plug-in " + name + ": it is no file in this folder nor " + name +
                    " or " + name + ".so in the VST 2 folders (" + joined(pluginFolders()) +
                    "), and no plug-in there or in the LV2 folders (" + lv2FoldersText() +
                    ") has that name" + closestOf(name, names));
}

PluginPlace placeOf(const std::string& argument) {
    std::error_code error;
    const bool inThisFolder =
        argument.find('/') == std::string::npos && fs::exists(argument, error);
    if (argument.find('/') != std::string::npos || inThisFolder) {
        // dlopen would look a bare name up on the system's library path.
        const std::string path = inThisFolder ? "./" + argument : argument;
        const bool bundle = fs::is_directory(path, error) || argument.ends_with(".lv2") ||
                            argument.ends_with(".lv2/");
        return {bundle ? PluginFormat::lv2 : PluginFormat::vst2, path};
    }
    if (argument.find(':') != std::string::npos) {
        return {PluginFormat::lv2, argument};
    }
    if (argument.ends_with(".lv2")) {
        return bundleOnLv2Folders(argument);
    }
    if (const std::optional<PluginPlace> file = fileOnVst2Folders(argument)) {
        return *file;
    }
    return pluginNamed(argument);
}

} // namespace

std::vector<std::string> lv2Folders() {
    const char* path = std::getenv("LV2_PATH");
    if (path == nullptr) {
        return {homeFolder() + "/.lv2", "/usr/lib/" PLUGHOST_MULTIARCH "/lv2", "/usr/lib/lv2",
                "/usr/local/lib/lv2"};
    }
    std::vector<std::string> folders;
    for (const std::string& folder : splitPathList(path)) {
        folders.push_back(expandedHome(folder));
    }
    return folders;
}

PluginPlace findPlugin(const std::string& argument) {
    static std::map<std::string, PluginPlace> found;
    const auto known = found.find(argument);
    return known != found.end() ? known->second
                                : found.emplace(argument, placeOf(argument)).first->second;
}

std::vector<InstalledPlugin> installedPlugins() {
    std::vector<InstalledPlugin> plugins = installedLv2Plugins();
    const std::vector<InstalledPlugin> vst2 = installedVst2Plugins();
    const auto byName = [](const InstalledPlugin& a, const InstalledPlugin& b) {
        return std::pair(lowercase(a.name), a.location) < std::pair(lowercase(b.name), b.location);
    };
    std::sort(plugins.begin(), plugins.end(), byName);
    plugins.insert(plugins.end(), vst2.begin(), vst2.end());
    std::sort(plugins.begin() + static_cast<std::ptrdiff_t>(plugins.size() - vst2.size()),
              plugins.end(), byName);
    return plugins;
}

} // namespace plughost
