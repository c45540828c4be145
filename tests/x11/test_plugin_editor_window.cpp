// The built plug-in's editor in a host window on the private Xvfb, loaded and driven as a host
// does it: opened through the dispatcher, idled, and used with real X events (XTEST). What the X
// server shows must be, pixel for pixel, what the same editor draws headless when freshly opened
// on the parameters the plug-in holds.
#include "tests/unit/event_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "tests/x11/plugin_editor_fixture.h"

#include <X11/keysym.h>

namespace {

constexpr float kStep = 0.0078125f;

class PluginEditorWindow : public PluginEditorFixture {
protected:
    explicit PluginEditorWindow(int32_t scale = 1) : PluginEditorFixture({20, 20}, scale) {}

    void SetUp() override {
        PluginEditorFixture::SetUp();
        if (!ready()) {
            return;
        }
        const ScaleVariable variable(scale);
        plugin = std::make_unique<plughost::PluginInstance>(builtPlugin(), host);
        ERect* rect = nullptr;
        ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right, 225 * scale);
        EXPECT_EQ(rect->bottom, 140 * scale);
        ASSERT_EQ(plugin->dispatch(effEditOpen, 0, 0, windowHandle(hostWindow)), 1);
        const std::vector<Window> inside = x11.children(hostWindow);
        ASSERT_EQ(inside.size(), 1u);
        editorWindow = inside[0];
        ASSERT_TRUE(showsFreshEditor()) << "the opened editor never painted";
        host.clear();
    }
    void checkEditorClosed() override {
        EXPECT_TRUE(x11.children(hostWindow).empty()) << "closing leaves no window behind";
    }

    void type(KeySym symbol) { x11.type(symbol); }
};

// At 1x and enlarged: the window shows the 1x picture with every pixel repeated, and the pointer
// is mapped back, so the controls behave alike.
class ScaledPluginEditorWindow : public PluginEditorWindow,
                                 public ::testing::WithParamInterface<int32_t> {
protected:
    ScaledPluginEditorWindow() : PluginEditorWindow(GetParam()) {}

    // A point of the 1x panel as the window shows it.
    Point shown(Point at) const { return {at.h * scale, at.v * scale}; }
};

INSTANTIATE_TEST_SUITE_P(Scales, ScaledPluginEditorWindow, ::testing::Values(1, 2));

TEST_F(PluginEditorWindow, AClickOnHighPassSetsTheFilterTypeAndTellsTheHost) {
    click(142, 80);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kFilterType) == 1.0f; }));
    const std::vector<plughost::HostRequest> automated = automation();
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, kFilterType);
    EXPECT_EQ(automated[0].opt, 1.0f);
    EXPECT_TRUE(idleUntil([&] { return showsSwitch(137, 75, true); }));
    EXPECT_TRUE(showsFreshEditor());
}

TEST_P(ScaledPluginEditorWindow, DraggingTheFrequencyKnobAutomatesItAndMovesTheReadout) {
    // From the top of the knob (centre 24, 63) clockwise to its right, one point per host idle
    // during the drag, then the release.
    const std::vector<Point> path{shown({30, 48}), shown({36, 51}), shown({40, 57}),
                                  shown({41, 63})};
    const bool released = drag(shown({24, 47}), path);
    ASSERT_TRUE(released);
    EXPECT_NEAR(plugin->getParameter(kFrequency), 0.8333333f, 1e-6f);
    const std::vector<plughost::HostRequest> automated = automation();
    ASSERT_GE(automated.size(), 2u) << "the knob reported along the way";
    for (const plughost::HostRequest& request : automated) {
        EXPECT_EQ(request.index, kFrequency);
    }
    EXPECT_EQ(automated.back().opt, plugin->getParameter(kFrequency));
    EXPECT_TRUE(showsFreshEditor()) << "knob frame and read-out 105";
}

TEST_P(ScaledPluginEditorWindow, TypingIntoAFieldSetsItsControllerWithoutTellingTheHost) {
    const Point at = shown({23, 109});
    click(at.h, at.v);
    ASSERT_TRUE(idleUntil([&] { return x11.children(editorWindow).size() == 1; }))
        << "the edit box opened";
    // Over the field (8, 105, 39, 114), its edges included.
    EXPECT_EQ(x11.placement(x11.children(editorWindow)[0]),
              (Rect{8 * scale, 105 * scale, 40 * scale, 115 * scale}));
    type(XK_6);
    type(XK_4);
    type(XK_Return);
    ASSERT_TRUE(idleUntil([&] { return plugin->getParameter(kCcCutoff) == 0.5f; }));
    EXPECT_TRUE(x11.children(editorWindow).empty());
    EXPECT_TRUE(automation().empty());
    EXPECT_EQ(plugin->parameterDisplay(kCcCutoff), "64");
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 64";
}

TEST_F(PluginEditorWindow, AControllerSentWhileLearningIsAssignedAndShown) {
    click(55, 125);
    ASSERT_TRUE(idleUntil([&] { return showsSwitch(50, 120, true); }));
    EventList events;
    events.controlChange(0, 20, 99);
    EXPECT_EQ(plugin->dispatch(effProcessEvents, 0, 0, events.get()), 1);
    EXPECT_EQ(plugin->getParameter(kCcRezo), 20 * kStep);
    events.clear();
    events.controlChange(0, 21, 99);
    plugin->dispatch(effProcessEvents, 0, 0, events.get());
    EXPECT_EQ(plugin->getParameter(kCcRezo), 20 * kStep) << "learning ended with 20";
    EXPECT_TRUE(automation().empty());
    EXPECT_TRUE(showsFreshEditor()) << "the field reads 20 and the learn switch is dark";
}

TEST_F(PluginEditorWindow, HostAutomationShowsAtTheNextIdles) {
    plugin->setParameter(kGain, 1.0f);
    plugin->setParameter(kResonance, 0.75f);
    plugin->dispatch(effSetProgram, 0, 0);
    plugin->setParameter(kCcSmooth, 0.25f);
    EXPECT_TRUE(showsFreshEditor());
}

} // namespace
