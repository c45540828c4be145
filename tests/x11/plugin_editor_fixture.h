// The built plug-in loaded as a host loads it, its editor embedded in a host window on the test's
// own X connection, and the checks that window's pixels against what the same editor draws
// headless when freshly opened on the parameters the plug-in holds.
#pragma once

#include "editor/editor.h"
#include "effect/AGain.h"
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/platform/headless/headless.h"
#include "resources/resources.h"
#include "tests/unit/pixels.h"
#include "tools/plughost/formats/vst2library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/x11_session.h"

inline constexpr int kEditorWidth = 225;
inline constexpr int kEditorHeight = 140;

inline plughost::PluginLibrary& builtPlugin() {
    static plughost::PluginLibrary built(GLIDEFILTER_PLUGIN_PATH);
    return built;
}

// What a freshly opened editor shows for these parameter values, drawn without a display.
inline Surface freshEditorFor(const float (&parameters)[kNumParams]) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    Surface shown;
    {
        FilterEffect effect(nullptr);
        for (int32_t index = 0; index < kNumParams; ++index) {
            effect.setParameter(index, parameters[index]);
        }
        EffectEditor* editor = effect.getEditor();
        if (editor->open(nullptr) == 1) {
            platform.lastWindow()->queueExpose();
            editor->idle();
            shown = platform.lastWindow()->screen();
            editor->close();
        }
    }
    setPlatform(nullptr);
    return shown;
}

// GLIDEFILTER_SCALE while it lives; the editor reads it when first asked for its rectangle.
class ScaleVariable {
public:
    explicit ScaleVariable(int32_t scale) {
        setenv("GLIDEFILTER_SCALE", std::to_string(scale).c_str(), 1);
    }
    ~ScaleVariable() { unsetenv("GLIDEFILTER_SCALE"); }
    ScaleVariable(const ScaleVariable&) = delete;
    ScaleVariable& operator=(const ScaleVariable&) = delete;
};

// Each test gets a host window at `hostAt` and a plug-in instance made by the derived SetUp;
// TearDown closes the editor and the instance the way a host does and then runs the derived
// fixture's checks on what they left behind. An editor opened at `scale` shows the 1x picture
// enlarged.
class PluginEditorFixture : public X11Test {
protected:
    explicit PluginEditorFixture(Point hostAt, int32_t scale = 1) : hostAt(hostAt), scale(scale) {}

    void SetUp() override {
        X11Test::SetUp();
        if (!ready()) {
            return;
        }
        hostWindow = x11.makeHostWindow(hostAt.h, hostAt.v, 225 * scale + 35, 140 * scale + 40);
        relayHostIdles();
    }
    void TearDown() override {
        if (x11.display == nullptr) {
            return;
        }
        x11.button(false); // a failed drag may still hold it
        if (plugin != nullptr) {
            plugin->dispatch(effEditClose);
            checkEditorClosed();
            plugin.reset();
        }
        checkPluginClosed();
        XDestroyWindow(x11.display, hostWindow);
    }
    virtual void checkEditorClosed() {}
    virtual void checkPluginClosed() {}

    // A knob's drag loop asks the host to idle; those calls go to `onHostIdle`.
    void relayHostIdles() {
        host.setObserver([this](const plughost::HostRequest& request) {
            if (request.opcode == audioMasterIdle && onHostIdle) {
                onHostIdle();
            }
        });
    }

    // Idles the editor as a host does until `done` holds, for at most three seconds.
    bool idleUntil(const std::function<bool()>& done) {
        return repeatUntil([this] { plugin->dispatch(effEditIdle); }, done);
    }
    Surface screen() { return x11.read(editorWindow, kEditorWidth * scale, kEditorHeight * scale); }
    // Whether the window shows what a fresh editor on the plug-in's current values shows,
    // enlarged to the scale; saves both pictures when it never does.
    bool showsFreshEditor() {
        float parameters[kNumParams];
        for (int32_t index = 0; index < kNumParams; ++index) {
            parameters[index] = plugin->getParameter(index);
        }
        const Surface expected = enlargedBy(freshEditorFor(parameters), scale);
        if (idleUntil([&] { return differingPixels(screen(), expected) == 0; })) {
            return true;
        }
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        writePng(screen(), name + ".shown.png");
        writePng(expected, name + ".expected.png");
        ADD_FAILURE() << differingPixels(screen(), expected) << " pixels differ; saved as " << name
                      << ".shown.png / .expected.png";
        return false;
    }
    // The switch at (left, top) shows the lit (or dark) half of the switch picture.
    bool showsSwitch(int32_t left, int32_t top, bool lit) {
        const BitmapRef image = BitmapRef::adopt(new Bitmap(kBitmapSwitch));
        const int32_t half = image->getHeight() / 2;
        const Surface shown = screen();
        bool same = half > 0;
        for (int32_t y = 0; y < half; ++y) {
            for (int32_t x = 0; x < image->getWidth(); ++x) {
                same = same && shown.pixel((left + x) * scale, (top + y) * scale) ==
                                   image->getPicture().pixel(x, (lit ? half : 0) + y);
            }
        }
        return same;
    }

    void click(int x, int y) { x11.click(editorWindow, x, y); }
    // Presses at `from` and walks the pointer along `path`, one point each time the knob's drag
    // loop lets the host idle, then lets go.
    bool drag(Point from, const std::vector<Point>& path) {
        PointerWalk walk(x11, editorWindow, path);
        onHostIdle = [&walk] { walk.step(); };
        ReleaseWatchdog watchdog;
        x11.movePointer(editorWindow, from.h, from.v);
        x11.button(true);
        const bool walked = idleUntil([&walk] { return walk.walked(); });
        watchdog.stop();
        onHostIdle = nullptr;
        x11.button(false);
        return walked;
    }
    // The automation the host received since the last clear.
    std::vector<plughost::HostRequest> automation() const {
        return host.requestsWithOpcode(audioMasterAutomate);
    }

    const Point hostAt;
    const int32_t scale;
    Window hostWindow = 0;
    Window editorWindow = 0;
    plughost::RecordingHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    std::function<void()> onHostIdle;
};
