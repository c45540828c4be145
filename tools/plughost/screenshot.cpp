// plughost screenshot: the plug-in's editor as a PNG, taken from a window of plughost's own on
// the user's display or on a private Xvfb.
#include "tools/common/pendingoutput.h"
#include "tools/common/png.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/options.h"
#include "tools/plughost/pictureformat.h"
#include "tools/plughost/renderer.h"
#include "tools/plughost/vst2plugin.h"
#include "tools/plughost/x11editorwindow.h"

#include <chrono>
#include <optional>
#include <thread>

namespace plughost {
namespace {

const CommandLine::OptionSet kScreenshotOptions{{"--param", "--program", "--preset"}, {}};
// Editors paint from their idle calls (Expose handling, redraws of changed controls); this many
// passes at a host's pace leave every one of them painted.
constexpr int kIdlePasses = 30;
constexpr auto kIdleInterval = std::chrono::milliseconds(10);

RgbImage photographEditor(X11Session& session, const PluginInstance& plugin, RecordingHost& host,
                          const std::string& title) {
    EditorWindow window(session, plugin, host, {.title = title, .managed = false});
    for (int pass = 0; pass < kIdlePasses; ++pass) {
        window.idle();
        window.handleEvents();
        std::this_thread::sleep_for(kIdleInterval);
    }
    window.idle();
    return window.capture();
}

} // namespace

int runScreenshot(const Arguments& arguments) {
    const CommandLine line(arguments, kScreenshotOptions);
    requireArgumentCount(line, 2, "screenshot");
    const std::string& pluginPath = line.positional()[0];
    requireVst2Editor(pluginPath, "screenshot");
    const PluginSettings settings = parsePluginSettings(line, PluginFormat::vst2);
    // A vector format would only wrap the pixels.
    pictureFormatFor(line.positional()[1], {PictureFormat::png});
    PendingOutput output(line.positional()[1]);

    // Declared before the plug-in: a plug-in may keep its connection until it is closed, and
    // the display must outlive it.
    std::optional<X11Session> session;
    PluginLibrary library(pluginPath);
    RecordingHost host;
    PluginInstance plugin(library, host);
    Vst2Plugin settable(plugin, pluginPath);
    applyPluginSettings(settable, settings);
    requireEditor(plugin, pluginPath);
    session.emplace(X11Session::WithoutDisplay::StartPrivateServer);
    const SwitchedOn running(plugin);
    const RgbImage picture =
        photographEditor(*session, plugin, host, editorTitle(plugin, pluginPath));
    output.write(encodePng(picture));
    output.commit();
    return 0;
}

} // namespace plughost
