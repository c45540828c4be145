// plughost response: the plug-in's magnitude response at the given settings, as a plot and CSV.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/files/responseplot.h"
#include "tools/plughost/playback/renderer.h"
#include "tools/plughost/playback/response.h"

#include <limits>
#include <memory>
#include <set>

namespace plughost {
namespace {

const CommandLine::OptionSet kResponseOptions{
    {"--param", "--program", "--preset", "--csv", "--rate", "--output"}, {}};
constexpr long long kLargestOutput = std::numeric_limits<int32_t>::max();
// Plug-ins with more parameters than this show only the ones the user set.
constexpr int32_t kParametersInSubtitle = 12;

std::string describeSettings(const Plugin& plugin, const PluginSettings& settings, int sampleRate) {
    std::string description;
    const auto append = [&description](const std::string& part) {
        description += (description.empty() ? "" : ", ") + part;
    };
    std::set<int32_t> given;
    for (const ParameterSetting& parameter : settings.parameters) {
        given.insert(parameterIndex(plugin, parameter.parameter));
    }
    const int32_t count = plugin.parameterCount();
    for (int32_t index = 0; index < count; ++index) {
        if (count <= kParametersInSubtitle || given.contains(index)) {
            append(plugin.parameter(index).name + " " + plugin.parameterDisplay(index));
        }
    }
    if (settings.program) {
        append(plugin.presetKind() + " " + std::to_string(*settings.program) + " \"" +
               plugin.presets()[static_cast<size_t>(*settings.program)].name + "\"");
    }
    if (settings.preset) {
        append(plugin.presetKind() + " \"" + *settings.preset + "\"");
    }
    append(std::to_string(sampleRate) + " Hz");
    return description;
}

} // namespace

int runResponse(const Arguments& arguments) {
    const CommandLine line(arguments, kResponseOptions);
    requireArgumentCount(line, 2, "response");
    const std::string& pluginPath = line.positional()[0];
    const std::string& plotPath = line.positional()[1];
    const PluginSettings settings = parsePluginSettings(line);
    const int sampleRate = parseSampleRate(line.value("--rate").value_or("44100"));
    const auto output = static_cast<int32_t>(
        parseInteger(line.value("--output").value_or("1"), "output", 1, kLargestOutput) - 1);
    const PictureFormat format =
        pictureFormatFor(plotPath, {PictureFormat::png, PictureFormat::svg, PictureFormat::pdf});
    const auto csvPath = line.value("--csv");

    // Before the plug-in is loaded: standard output carries nothing else once it is an output.
    PendingOutput plot(plotPath);
    std::unique_ptr<PendingOutput> csv =
        csvPath ? std::make_unique<PendingOutput>(*csvPath) : nullptr;
    const std::unique_ptr<Plugin> plugin =
        loadPlugin(pluginPath, {static_cast<float>(sampleRate), kResponseBlockSize});
    applyPluginSettings(*plugin, settings);

    const PlotTexts texts{"Magnitude response: " + plugin->name(),
                          describeSettings(*plugin, settings, sampleRate)};
    const MagnitudeResponse response =
        measureResponse(*plugin, {.sampleRate = static_cast<float>(sampleRate), .output = output});
    plotResponse(response, texts, format, plot);
    if (csv) {
        csv->write(responseCsv(response));
        csv->commit();
    }
    plot.commit();
    return 0;
}

} // namespace plughost
