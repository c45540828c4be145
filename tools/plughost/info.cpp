#include "tools/plughost/commands.h"
#include "tools/plughost/pluginhost.h"

#include <cstdio>

namespace plughost {
namespace {

void printRecord(const AEffect& effect) {
    std::printf("magic            %s\n", fourCharText(effect.magic).c_str());
    std::printf("unique id        %s\n", fourCharText(effect.uniqueID).c_str());
    std::printf("version          %d\n", effect.version);
    std::printf("inputs           %d\n", effect.numInputs);
    std::printf("outputs          %d\n", effect.numOutputs);
    std::printf("flags            %d\n", effect.flags);
    std::printf("programs         %d\n", effect.numPrograms);
    std::printf("parameters       %d\n", effect.numParams);
    std::printf("initial delay    %d\n", effect.initialDelay);
    std::printf("io ratio         %g\n", static_cast<double>(effect.ioRatio));
}

void printParameters(const PluginInstance& plugin) {
    std::printf("\n%-5s %-12s %-10s %-10s %s\n", "index", "name", "value", "display", "label");
    for (int32_t index = 0; index < plugin.record()->numParams; ++index) {
        std::printf("%-5d %-12s %-10.6f %-10s \"%s\"\n", index, plugin.parameterName(index).c_str(),
                    static_cast<double>(plugin.getParameter(index)),
                    plugin.parameterDisplay(index).c_str(), plugin.parameterLabel(index).c_str());
    }
}

void printPrograms(const PluginInstance& plugin) {
    std::printf("\nprograms\n");
    const auto current = plugin.dispatch(effGetProgram);
    for (int32_t program = 0; program < plugin.record()->numPrograms; ++program) {
        plugin.dispatch(effSetProgram, 0, program);
        std::printf("%5d %s\n", program, plugin.programName().c_str());
    }
    plugin.dispatch(effSetProgram, 0, current);
}

} // namespace

int runInfo(const Arguments& arguments) {
    if (arguments.size() != 1) {
        std::fprintf(stderr, "usage: plughost info PLUGIN.so\n");
        return 2;
    }
    PluginLibrary library(arguments[0]);
    RecordingHost host;
    PluginInstance plugin(library, host);
    printRecord(*plugin.record());
    printParameters(plugin);
    printPrograms(plugin);
    return 0;
}

} // namespace plughost
