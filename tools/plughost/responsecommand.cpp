// plughost response: the plug-in's magnitude response at the given settings, as a plot and CSV.
#include "tools/plughost/commands.h"
#include "tools/plughost/options.h"
#include "tools/plughost/renderer.h"
#include "tools/plughost/response.h"
#include "tools/plughost/responseplot.h"

#include <algorithm>
#include <memory>

namespace plughost {
namespace {

const CommandLine::OptionSet kResponseOptions{{"--param", "--program", "--csv", "--rate"}, {}};
// Plug-ins with more parameters than this show only the ones the user set.
constexpr int32_t kParametersInSubtitle = 12;

std::string pluginTitle(const PluginInstance& plugin, const std::string& path) {
    char name[256] = {};
    plugin.dispatch(effGetEffectName, 0, 0, name);
    name[sizeof name - 1] = '\0';
    if (name[0] != '\0') {
        return name;
    }
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string describeSettings(const PluginInstance& plugin, const PluginSettings& settings,
                             int sampleRate) {
    std::string description;
    const auto append = [&description](const std::string& part) {
        description += (description.empty() ? "" : ", ") + part;
    };
    const int32_t count = plugin.record()->numParams;
    for (int32_t index = 0; index < count; ++index) {
        const bool given =
            std::any_of(settings.parameters.begin(), settings.parameters.end(),
                        [index](const ParameterSetting& p) { return p.index == index; });
        if (count <= kParametersInSubtitle || given) {
            append(plugin.parameterName(index) + " " + plugin.parameterDisplay(index));
        }
    }
    if (settings.program) {
        append("program " + std::to_string(*settings.program) + " \"" + plugin.programName() +
               "\"");
    }
    append(std::to_string(sampleRate) + " Hz");
    return description;
}

} // namespace

int runResponse(const Arguments& arguments) {
    const CommandLine line(arguments, kResponseOptions);
    if (line.positional().size() != 2) {
        throw UsageError(usageOf("response"));
    }
    const std::string& pluginPath = line.positional()[0];
    const PluginSettings settings = parsePluginSettings(line);
    const int sampleRate = parseSampleRate(line.value("--rate").value_or("44100"));
    const auto csvPath = line.value("--csv");

    PluginLibrary library(pluginPath);
    RecordingHost host;
    PluginInstance plugin(library, host);
    applyPluginSettings(plugin, settings);
    PendingOutput plot(line.positional()[1]);
    std::unique_ptr<PendingOutput> csv =
        csvPath ? std::make_unique<PendingOutput>(*csvPath) : nullptr;

    const PlotTexts texts{"Magnitude response: " + pluginTitle(plugin, pluginPath),
                          describeSettings(plugin, settings, sampleRate)};
    const MagnitudeResponse response =
        measureResponse(plugin, {.sampleRate = static_cast<float>(sampleRate)});
    plotResponse(response, texts, plot);
    if (csv) {
        csv->write(responseCsv(response));
        csv->commit();
    }
    plot.commit();
    return 0;
}

} // namespace plughost
