// plughost screenshot: the plug-in's editor (a VST 2 editor or an LV2 X11 UI) as a PNG, taken
// from a window of plughost's own on the user's display or on a private Xvfb.
#include "tools/common/pendingoutput.h"
#include "tools/common/png.h"
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/files/pictureformat.h"
#include "tools/plughost/formats/lv2uihost.h"
#include "tools/plughost/formats/vst2editor.h"
#include "tools/plughost/formats/vst2plugin.h"
#include "tools/plughost/playback/renderer.h"
#include "tools/plughost/x11/x11editorwindow.h"

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

RgbImage photographEditor(X11Session& session, EmbeddedEditor& editor, const std::string& title) {
    EditorWindow window(session, editor, {.title = title, .managed = false});
    for (int pass = 0; pass < kIdlePasses; ++pass) {
        window.idle();
        window.handleEvents();
        std::this_thread::sleep_for(kIdleInterval);
    }
    window.idle();
    return window.capture();
}

RgbImage photographVst2(const std::string& pluginPath, const PluginSettings& settings) {
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
    const std::string title = editorTitle(plugin, pluginPath);
    Vst2Editor editor(plugin, host, title);
    return photographEditor(*session, editor, title);
}

RgbImage photographLv2(const std::string& pluginPath, const PluginSettings& settings) {
    std::optional<X11Session> session;
    Lv2Plugin plugin(pluginPath, LoadSettings{});
    applyPluginSettings(plugin, settings);
    session.emplace(X11Session::WithoutDisplay::StartPrivateServer);
    Lv2UiHost ui(plugin, session->display());
    return photographEditor(*session, ui, ui.title());
}

} // namespace

int runScreenshot(const Arguments& arguments) {
    const CommandLine line(arguments, kScreenshotOptions);
    requireArgumentCount(line, 2, "screenshot");
    const std::string& pluginPath = line.positional()[0];
    const PluginFormat format = pluginFormatOf(pluginPath);
    const PluginSettings settings = parsePluginSettings(line);
    // A vector format would only wrap the pixels.
    pictureFormatFor(line.positional()[1], {PictureFormat::png});
    PendingOutput output(line.positional()[1]);
    const RgbImage picture = format == PluginFormat::lv2 ? photographLv2(pluginPath, settings)
                                                         : photographVst2(pluginPath, settings);
    output.write(encodePng(picture));
    output.commit();
    return 0;
}

} // namespace plughost
