// plughost info: the plug-in as a host sees it, at the settings given.
#include "tools/plughost/commands.h"
#include "tools/plughost/options.h"
#include "tools/plughost/pluginhost.h"
#include "tools/plughost/renderer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace plughost {
namespace {

const CommandLine::OptionSet kInfoOptions{{"--param", "--program"}, {}};

struct FlagName {
    int32_t flag;
    const char* name;
};

constexpr std::array kFlagNames = {
    FlagName{effFlagsHasEditor, "editor"},
    FlagName{effFlagsHasClip, "clip meter"},
    FlagName{effFlagsHasVu, "VU meter"},
    FlagName{effFlagsCanMono, "can process mono"},
    FlagName{effFlagsCanReplacing, "in-place processing"},
    FlagName{effFlagsProgramChunks, "program chunks"},
    FlagName{effFlagsIsSynth, "instrument"},
    FlagName{effFlagsNoSoundInStop, "silent when stopped"},
    FlagName{effFlagsExtIsAsync, "asynchronous"},
    FlagName{effFlagsExtHasBuffer, "external buffer"},
};

// "25: editor, can process mono, in-place processing"; bits without a name by number.
std::string describeFlags(int32_t flags) {
    std::string names;
    auto remaining = static_cast<uint32_t>(flags);
    for (const FlagName& known : kFlagNames) {
        if ((remaining & static_cast<uint32_t>(known.flag)) != 0) {
            names += std::string(names.empty() ? "" : ", ") + known.name;
            remaining &= ~static_cast<uint32_t>(known.flag);
        }
    }
    while (remaining != 0) {
        const int bit = std::countr_zero(remaining);
        names += (names.empty() ? "bit " : ", bit ") + std::to_string(bit);
        remaining &= remaining - 1;
    }
    return std::to_string(flags) + (names.empty() ? "" : ": " + names);
}

// The answer to a capability question: 1 yes, -1 no, 0 (or anything else) no answer.
std::string canDo(const PluginInstance& plugin, std::string capability) {
    const intptr_t answer = plugin.dispatch(effCanDo, 0, 0, capability.data());
    return capability + " " + (answer == 1 ? "yes" : answer == -1 ? "no" : "no answer");
}

void printRecord(const PluginInstance& plugin) {
    const AEffect& effect = *plugin.record();
    std::printf("magic            %s\n", fourCharText(effect.magic).c_str());
    std::printf("unique id        %s\n", fourCharText(effect.uniqueID).c_str());
    std::printf("version          %d\n", effect.version);
    std::printf("inputs           %d\n", effect.numInputs);
    std::printf("outputs          %d\n", effect.numOutputs);
    std::printf("flags            %s\n", describeFlags(effect.flags).c_str());
    std::printf("MIDI input       %s, %s\n", canDo(plugin, "receiveVstEvents").c_str(),
                canDo(plugin, "receiveVstMidiEvent").c_str());
    std::printf("programs         %d\n", effect.numPrograms);
    std::printf("parameters       %d\n", effect.numParams);
    std::printf("initial delay    %d\n", effect.initialDelay);
    std::printf("io ratio         %g\n", static_cast<double>(effect.ioRatio));
}

struct ParameterRow {
    std::string name;
    float value;
    std::string display;
    std::string label;
};

std::vector<ParameterRow> parameterRows(const PluginInstance& plugin) {
    std::vector<ParameterRow> rows;
    for (int32_t index = 0; index < plugin.record()->numParams; ++index) {
        rows.push_back({plugin.parameterName(index), plugin.getParameter(index),
                        plugin.parameterDisplay(index), plugin.parameterLabel(index)});
    }
    return rows;
}

// As wide as the column's longest text, so that long names do not push the others along.
int columnWidth(const std::vector<ParameterRow>& rows, std::string ParameterRow::*text,
                const char* heading) {
    size_t width = std::string_view(heading).size();
    for (const ParameterRow& row : rows) {
        width = std::max(width, (row.*text).size());
    }
    return static_cast<int>(width);
}

void printParameters(const PluginInstance& plugin) {
    const std::vector<ParameterRow> rows = parameterRows(plugin);
    const int name = columnWidth(rows, &ParameterRow::name, "name");
    const int display = columnWidth(rows, &ParameterRow::display, "display");
    std::printf("\n%-5s %-*s %-10s %-*s %s\n", "index", name, "name", "value", display, "display",
                "label");
    for (size_t index = 0; index < rows.size(); ++index) {
        const ParameterRow& row = rows[index];
        std::printf("%-5zu %-*s %-10.6f %-*s \"%s\"\n", index, name, row.name.c_str(),
                    static_cast<double>(row.value), display, row.display.c_str(),
                    row.label.c_str());
    }
}

void printPrograms(const PluginInstance& plugin) {
    std::printf("\nprograms\n");
    const auto current = plugin.dispatch(effGetProgram);
    for (int32_t program = 0; program < plugin.record()->numPrograms; ++program) {
        plugin.dispatch(effSetProgram, 0, program);
        std::printf("%5d %s%s\n", program, plugin.programName().c_str(),
                    program == current ? "   (current)" : "");
    }
    plugin.dispatch(effSetProgram, 0, current);
}

} // namespace

int runInfo(const Arguments& arguments) {
    const CommandLine line(arguments, kInfoOptions);
    requireArgumentCount(line, 1, "info");
    const PluginSettings settings = parsePluginSettings(line);
    PluginLibrary library(line.positional()[0]);
    RecordingHost host;
    PluginInstance plugin(library, host);
    applyPluginSettings(plugin, settings);
    printRecord(plugin);
    printParameters(plugin);
    printPrograms(plugin);
    return 0;
}

} // namespace plughost
