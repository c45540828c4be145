// plughost info: the plug-in as a host sees it, at the settings given; one layout for both
// formats.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/text.h"
#include "tools/plughost/playback/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace plughost {
namespace {

const CommandLine::OptionSet kInfoOptions{{"--param", "--program", "--preset"}, {}};

void printFact(const std::string& key, const std::string& value) {
    std::printf("%-16s %s\n", key.c_str(), printable(value).c_str());
}

std::string uiText(const UiInfo& ui) {
    return ui.type + " " + ui.library + (ui.libraryExists ? "" : " (missing: no such file)");
}

void printSummary(const Plugin& plugin) {
    const bool lv2 = plugin.format() == PluginFormat::lv2;
    printFact("name", plugin.name());
    printFact("format", lv2 ? "LV2" : "VST 2");
    printFact(lv2 ? "URI" : "path", plugin.location());
    printFact("class", plugin.pluginClass());
    const std::vector<UiInfo> uis = plugin.uis();
    for (const UiInfo& ui : uis) {
        printFact("UI", uiText(ui));
    }
    if (uis.empty()) {
        printFact("UI", "none");
    }
    for (const PluginFact& fact : plugin.facts()) {
        printFact(fact.key, fact.value);
    }
}

struct Column {
    std::string heading;
    std::vector<std::string> cells;
    bool always; // shown even when every cell is empty
};

std::string rangeText(const ParameterRange& range) {
    if (std::isnan(range.lowest) || std::isnan(range.highest)) {
        return "";
    }
    return numberText(range.lowest) + " to " + numberText(range.highest);
}

std::string scalePointsText(const std::vector<ScalePoint>& points) {
    if (points.size() > kMostLabelsListed) {
        return "";
    }
    std::vector<std::string> texts;
    for (const ScalePoint& point : points) {
        texts.push_back(numberText(point.value) + " " + point.label);
    }
    return joined(texts);
}

std::vector<Column> parameterColumns(const Plugin& plugin) {
    std::vector<Column> columns = {{"index", {}, true},       {"symbol", {}, false},
                                   {"name", {}, true},        {"value", {}, true},
                                   {"display", {}, true},     {"unit", {}, false},
                                   {"range", {}, false},      {"default", {}, false},
                                   {"properties", {}, false}, {"scale points", {}, false}};
    for (int32_t index = 0; index < plugin.parameterCount(); ++index) {
        const ParameterInfo parameter = plugin.parameter(index);
        const std::vector<std::string> cells = {
            std::to_string(index),
            parameter.symbol,
            parameter.name,
            numberText(plugin.parameterValue(index)),
            plugin.parameterDisplay(index),
            parameter.unit,
            rangeText(parameter.range),
            parameter.defaultValue ? numberText(*parameter.defaultValue) : "",
            joined(parameter.properties),
            scalePointsText(plugin.labelledValues(index))};
        for (size_t column = 0; column < columns.size(); ++column) {
            columns[column].cells.push_back(printable(cells[column]));
        }
    }
    std::erase_if(columns, [](const Column& column) {
        return !column.always && std::all_of(column.cells.begin(), column.cells.end(),
                                             [](const std::string& cell) { return cell.empty(); });
    });
    return columns;
}

// Each column as wide as its longest text, so that long names do not push the others along;
// the last one is not padded.
void printRow(const std::vector<Column>& columns, const std::vector<std::string>& cells) {
    std::string line;
    for (size_t column = 0; column < columns.size(); ++column) {
        size_t width = columns[column].heading.size();
        for (const std::string& cell : columns[column].cells) {
            width = std::max(width, cell.size());
        }
        line += cells[column];
        if (column + 1 < columns.size()) {
            line += std::string(width - cells[column].size() + 1, ' ');
        }
    }
    line.erase(line.find_last_not_of(' ') + 1); // empty last cells leave no trailing spaces
    std::printf("%s\n", line.c_str());
}

void printParameters(const Plugin& plugin) {
    const std::vector<Column> columns = parameterColumns(plugin);
    std::vector<std::string> headings;
    for (const Column& column : columns) {
        headings.push_back(column.heading);
    }
    std::printf("\n");
    printRow(columns, headings);
    for (int32_t index = 0; index < plugin.parameterCount(); ++index) {
        std::vector<std::string> cells;
        for (const Column& column : columns) {
            cells.push_back(column.cells[static_cast<size_t>(index)]);
        }
        printRow(columns, cells);
    }
}

void printPresets(const Plugin& plugin) {
    std::printf("\n%ss\n", plugin.presetKind().c_str());
    int index = 0;
    for (const PresetInfo& preset : plugin.presets()) {
        const std::string note = preset.current ? "(current)" : preset.uri;
        std::printf("%5d %s%s\n", index++, printable(preset.name).c_str(),
                    note.empty() ? "" : ("   " + printable(note)).c_str());
    }
}

} // namespace

int runInfo(const Arguments& arguments) {
    const CommandLine line(arguments, kInfoOptions);
    requireArgumentCount(line, 1, "info");
    const std::string& pluginPath = line.positional()[0];
    const PluginSettings settings = parsePluginSettings(line);
    const std::unique_ptr<Plugin> plugin = loadPlugin(pluginPath, {});
    applyPluginSettings(*plugin, settings);
    printSummary(*plugin);
    printParameters(*plugin);
    printPresets(*plugin);
    return 0;
}

} // namespace plughost
