// plughost screenshot end to end: a test plug-in whose editor paints a known pattern, the
// effect's own editor, and the failures. DISPLAY is unset for plughost, so it starts its own Xvfb
// as it must where no desktop runs.
#include "tests/host/test_plughost_screenshot_support.h"

#include <set>

namespace {

using plughost_test::EditorCommandTest;
using plughost_test::Picture;
using plughost_test::readPng;
using Rgb = Picture::Rgb;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};

using ScreenshotTest = EditorCommandTest;

TEST_F(ScreenshotTest, WritesTheEditorsPatternAtItsSize) {
    const auto outcome = withoutDisplay(
        {"screenshot", TEST_EDITOR_PLUGIN_PATH, file("editor.png").string(), "--param", "2=0.25"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(contents(), std::vector<std::string>{"editor.png"});

    const std::optional<Picture> picture = readPng(file("editor.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 176);
    EXPECT_EQ(picture->height, 104);
    // The quadrants meet at (88, 52); the grey one shows the parameter given before opening.
    const Rgb grey{64, 64, 64};
    EXPECT_EQ(picture->at(0, 0), kRed);
    EXPECT_EQ(picture->at(87, 51), kRed);
    EXPECT_EQ(picture->at(88, 0), kGreen);
    EXPECT_EQ(picture->at(175, 51), kGreen);
    EXPECT_EQ(picture->at(0, 52), kBlue);
    EXPECT_EQ(picture->at(87, 103), kBlue);
    EXPECT_EQ(picture->at(88, 52), grey);
    EXPECT_EQ(picture->at(175, 103), grey);
}

TEST_F(ScreenshotTest, TakesTheSizeAnEditorGivesOnlyOnceOpen) {
    const auto outcome = withoutDisplay(
        {"screenshot", TEST_EDITOR_PLUGIN_PATH, file("late.png").string(), "--param", "1=1"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::optional<Picture> picture = readPng(file("late.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 176);
    EXPECT_EQ(picture->height, 104);
    EXPECT_EQ(picture->at(175, 103), (Rgb{0, 0, 0}));
    EXPECT_EQ(picture->at(175, 0), kGreen);
}

TEST_F(ScreenshotTest, PhotographsTheEffectsEditor) {
    plughost::RecordingHost host;
    if ((plughost::PluginInstance(builtPlugin(), host).record()->flags & effFlagsHasEditor) == 0) {
        GTEST_SKIP() << "this build of the plug-in has no editor";
    }
    const auto outcome = withoutDisplay(
        {"screenshot", plughost_test::builtPluginPath(), file("filter.png").string()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    const std::optional<Picture> picture = readPng(file("filter.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 225);
    EXPECT_EQ(picture->height, 140);
    // A painted panel: bitmaps, knobs and text give many colours; a blank window gives one.
    std::set<Rgb> colours;
    for (int y = 0; y < picture->height; ++y) {
        for (int x = 0; x < picture->width; ++x) {
            colours.insert(picture->at(x, y));
        }
    }
    EXPECT_GT(colours.size(), 100u);
}

TEST_F(ScreenshotTest, AtScale2TheEffectsEditorIsThe1xPictureWithEveryPixelDoubled) {
    plughost::RecordingHost host;
    if ((plughost::PluginInstance(builtPlugin(), host).record()->flags & effFlagsHasEditor) == 0) {
        GTEST_SKIP() << "this build of the plug-in has no editor";
    }
    const std::vector<std::string> settings{"--param", "1=0.3", "--param", "5=0.5"};
    const auto photograph = [&](const std::string& environment, const std::string& name) {
        std::vector<std::string> arguments{"screenshot", plughost_test::builtPluginPath(),
                                           file(name).string()};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        const auto outcome = run(environment, arguments);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
        return readPng(file(name));
    };
    const std::optional<Picture> plain = photograph("-u DISPLAY -u GLIDEFILTER_SCALE", "1x.png");
    const std::optional<Picture> large = photograph("-u DISPLAY GLIDEFILTER_SCALE=2", "2x.png");
    ASSERT_TRUE(plain && large);
    ASSERT_EQ(large->width, 450);
    ASSERT_EQ(large->height, 280);
    int differing = 0;
    for (int y = 0; y < large->height; ++y) {
        for (int x = 0; x < large->width; ++x) {
            differing += large->at(x, y) != plain->at(x / 2, y / 2) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

// The LV2 UI and the VST 2 editor on the same values, as the two formats give them, at 1x and 2x:
// the same file, byte for byte.
TEST_F(ScreenshotTest, TheLv2UiIsTheVst2EditorByteForByte) {
    const struct {
        std::vector<std::string> vst2;
        std::vector<std::string> lv2;
    } settings[] = {
        {{}, {}},
        {{"--param", "0=1", "--param", "1=0.3", "--param", "4=0.25"},
         {"--param", "type=1", "--param", "frequency=30", "--param", "gain=-18"}},
        {{"--param", "2=0.75", "--param", "3=1", "--param", "5=0.5", "--param", "6=0", "--param",
          "7=1"},
         {"--param", "resonance=75", "--param", "smoothness=100", "--param", "cc_cutoff=64",
          "--param", "cc_rezo=0", "--param", "cc_smooth=128"}},
    };
    const auto photograph = [&](const std::string& scale, const std::string& plugin,
                                const std::vector<std::string>& options) {
        std::vector<std::string> arguments{"screenshot", plugin, file("shot.png").string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto outcome = run("-u DISPLAY GLIDEFILTER_SCALE=" + scale, arguments);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
        return plughost_test::readText(file("shot.png"));
    };
    for (const std::string scale : {"1", "2"}) {
        for (size_t setting = 0; setting < std::size(settings); ++setting) {
            const std::string vst2 =
                photograph(scale, plughost_test::builtPluginPath(), settings[setting].vst2);
            const std::string lv2 =
                photograph(scale, GLIDEFILTER_LV2_BUNDLE_PATH, settings[setting].lv2);
            EXPECT_FALSE(vst2.empty());
            EXPECT_TRUE(lv2 == vst2) << "scale " << scale << ", setting " << setting;
        }
    }
}

struct FailureCase {
    const char* name;
    std::string plugin;
    std::vector<std::string> options;
    std::string environment; // added to plughost's, DISPLAY being unset
    const char* message;
};

class ScreenshotFailureTest : public EditorCommandTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ScreenshotFailureTest, SaysWhyInOneLineAndLeavesTheOldFile) {
    const FailureCase& failure = GetParam();
    const auto output = file("editor.png");
    std::ofstream(output) << "older picture";
    std::vector<std::string> arguments{"screenshot", failure.plugin, output.string()};
    arguments.insert(arguments.end(), failure.options.begin(), failure.options.end());

    const auto outcome = run("-u DISPLAY " + failure.environment, arguments);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find(failure.message), std::string::npos) << outcome.errors;
    EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1) << outcome.errors;
    EXPECT_EQ(contents(), std::vector<std::string>{"editor.png"});
    EXPECT_EQ(plughost_test::readText(output), "older picture");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ScreenshotFailureTest,
    ::testing::Values(
        FailureCase{"NoEditor", TEST_PLAIN_PLUGIN_PATH, {}, "", "has no editor"},
        FailureCase{
            "EditorRefuses", TEST_EDITOR_PLUGIN_PATH, {"--param", "0=1"}, "", "refused to open"},
        FailureCase{
            "NoXvfb", TEST_EDITOR_PLUGIN_PATH, {}, "PATH=/nonexistent", "Xvfb is not installed"},
        FailureCase{"NotAPlugin", "/nonexistent/plugin.so", {}, "", "cannot load"},
        FailureCase{"DisplayCannotOpen",
                    TEST_EDITOR_PLUGIN_PATH,
                    {},
                    "DISPLAY=:9997",
                    "cannot open X display :9997 (unset DISPLAY and screenshot uses a private "
                    "Xvfb of its own)"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(ScreenshotTest, UnwritableOutputIsRefused) {
    const auto outcome = withoutDisplay(
        {"screenshot", TEST_EDITOR_PLUGIN_PATH, file("missing/editor.png").string()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("cannot write"), std::string::npos) << outcome.errors;
    EXPECT_FALSE(std::filesystem::exists(file("missing")));
}

} // namespace
