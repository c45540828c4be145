// plughost info: the plug-in as a host sees it, at the settings given.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/playback/renderer.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace plughost {
namespace {

const CommandLine::OptionSet kInfoOptions{{"--param", "--program", "--preset"}, {}};

void printSummary(const Plugin& plugin) {
    for (const SummaryLine& line : plugin.summary()) {
        std::printf("%-16s %s\n", line.key.c_str(), line.value.c_str());
    }
}

// As wide as the column's longest text, so that long names do not push the others along.
std::vector<size_t> columnWidths(const TextTable& table) {
    std::vector<size_t> widths;
    for (const TableColumn& column : table.columns) {
        widths.push_back(std::max(column.minimumWidth, column.heading.size()));
    }
    for (const auto& row : table.rows) {
        for (size_t column = 0; column < row.size() && column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    return widths;
}

void printRow(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
    std::string line;
    for (size_t column = 0; column < cells.size(); ++column) {
        const bool last = column + 1 == cells.size();
        line += cells[column];
        if (!last) {
            line += std::string(widths[column] - cells[column].size() + 1, ' ');
        }
    }
    line.erase(line.find_last_not_of(' ') + 1); // empty last cells leave no trailing spaces
    std::printf("%s\n", line.c_str());
}

void printParameters(const Plugin& plugin) {
    const TextTable table = plugin.parameterTable();
    const std::vector<size_t> widths = columnWidths(table);
    std::vector<std::string> headings;
    for (const TableColumn& column : table.columns) {
        headings.push_back(column.heading);
    }
    std::printf("\n");
    printRow(headings, widths);
    for (const auto& row : table.rows) {
        printRow(row, widths);
    }
}

void printPresets(const Plugin& plugin) {
    std::printf("\n%ss\n", plugin.presetKind().c_str());
    int index = 0;
    for (const PresetLine& preset : plugin.presetList()) {
        std::printf("%5d %s%s\n", index++, preset.name.c_str(),
                    preset.note.empty() ? "" : ("   " + preset.note).c_str());
    }
}

} // namespace

int runInfo(const Arguments& arguments) {
    const CommandLine line(arguments, kInfoOptions);
    requireArgumentCount(line, 1, "info");
    const std::string& pluginPath = line.positional()[0];
    const PluginSettings settings = parsePluginSettings(line, pluginFormatOf(pluginPath));
    const std::unique_ptr<Plugin> plugin = loadPlugin(pluginPath, {});
    applyPluginSettings(*plugin, settings);
    printSummary(*plugin);
    printParameters(*plugin);
    printPresets(*plugin);
    return 0;
}

} // namespace plughost
