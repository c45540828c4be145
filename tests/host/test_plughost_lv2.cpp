// plughost hosts the LV2 build as it hosts the VST 2 build, and the two are one plug-in: the same
// input, settings and events give the same samples through either.
#include "lv2/ports.h"
#include "tests/host/test_plughost_support.h"
#include "tests/unit/test_smf_builder.h"

#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

using namespace plughost_test;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kFrames = 44100;
constexpr std::array<const char*, kNumParams> kSymbols = {
    "type", "frequency", "resonance", "smoothness", "gain", "cc_cutoff", "cc_rezo", "cc_smooth"};

std::string bundlePath() {
    return GLIDEFILTER_LV2_BUNDLE_PATH;
}

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value)); // exact for a float
    return text;
}

struct PortValue {
    int32_t parameter;
    float value; // in the port's units
};

struct PortChange {
    PortValue port;
    int64_t frame;
};

struct TwinCase {
    std::string name;
    std::vector<PortValue> ports;          // the rest at their defaults
    std::vector<std::string> options = {}; // given to both renders as they are
    std::vector<PortChange> changes = {};
    std::vector<std::string> lv2Options = {};
};

// Whatever runs is heard by both: a note, and controllers on numbers the cases assign.
const std::vector<std::string> kEvents = {"--cc",   "74:100@1001", "--cc", "0:20@3007",
                                          "--cc",   "71:90@5003",  "--cc", "5:100@7001",
                                          "--note", "80@9009",     "--cc", "1:64@11003"};

bool glidesAtStart(const TwinCase& twin) {
    return std::any_of(twin.ports.begin(), twin.ports.end(), [](const PortValue& port) {
        return (port.parameter == kFrequency || port.parameter == kResonance) &&
               port.value != portDefault(port.parameter);
    });
}

class PlughostLv2 : public PlughostTest {
protected:
    Audio render(const std::string& plugin, std::vector<std::string> options,
                 const std::string& output) {
        std::vector<std::string> arguments = {"render", plugin, file("in.wav"), file(output)};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Outcome run = plughost(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return readAudio(file(output));
    }

    // The LV2 build with its ports as the case sets them, and its VST 2 twin given the values
    // the port values map to: a host that sets every parameter after switching the plug-in on.
    // That twin glides from program 0's cutoff and resonance to the ones given, where the LV2
    // build starts at them (a session opens as it was saved); and a glide's trace in the
    // filter's history need never die away to the last bit. So where a case moves Frequency
    // or Reso/BW, the twin is a host that sets every parameter before switching on too, which
    // starts the filter at them as the LV2 build does.
    std::pair<Audio, Audio> renderBoth(const TwinCase& twin) {
        std::vector<std::string> lv2 = twin.options;
        lv2.insert(lv2.end(), twin.lv2Options.begin(), twin.lv2Options.end());
        // The accumulating entry, which sounds the same in the build for legacy hosts.
        std::vector<std::string> vst2 = twin.options;
        const bool startAtSettings = glidesAtStart(twin);
        if (!startAtSettings) {
            vst2.push_back("--params-after-start");
        }
        for (int32_t index = 0; index < kNumParams; ++index) {
            float value = portDefault(index);
            for (const PortValue& port : twin.ports) {
                value = port.parameter == index ? port.value : value;
            }
            const std::string setting =
                std::to_string(index) + "=" + number(parameterValueOfPort(index, value));
            lv2.insert(lv2.end(), {"--param", std::string(kSymbols[index]) + "=" + number(value)});
            vst2.insert(vst2.end(), {"--param", setting});
            if (startAtSettings) {
                vst2.insert(vst2.end(), {"--param-at", setting + "@0"});
            }
        }
        for (const PortChange& change : twin.changes) {
            const int32_t index = change.port.parameter;
            const std::string frame = "@" + std::to_string(change.frame);
            lv2.insert(lv2.end(), {"--param-at", std::string(kSymbols[index]) + "=" +
                                                     number(change.port.value) + frame});
            vst2.insert(vst2.end(),
                        {"--param-at", std::to_string(index) + "=" +
                                           number(parameterValueOfPort(index, change.port.value)) +
                                           frame});
        }
        return {render(bundlePath(), lv2, "lv2.wav"), render(builtPluginPath(), vst2, "vst2.wav")};
    }
};

// The frames from which the two agree to the end; 0 when they agree throughout, -1 when their
// lengths or channels differ.
int64_t agreeingFrom(const Audio& a, const Audio& b) {
    if (a.channels != b.channels || a.frames() != b.frames()) {
        return -1;
    }
    for (int64_t frame = a.frames(); frame > 0; --frame) {
        for (int channel = 0; channel < a.channels; ++channel) {
            if (a.at(frame - 1, channel) != b.at(frame - 1, channel)) {
                return frame;
            }
        }
    }
    return 0;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A copy of the built bundle with one text of its description replaced.
void copyBundleReplacing(const std::filesystem::path& copy, const std::string& file,
                         const std::string& from, const std::string& to) {
    std::filesystem::copy(bundlePath(), copy);
    const std::string text = readText(copy / file);
    std::ofstream(copy / file) << replaced(text, from, to);
}

void copyBundleWithPortIndex(const std::filesystem::path& copy, int index,
                             const std::string& wrong) {
    copyBundleReplacing(copy, "glidefilter.ttl", "lv2:index " + std::to_string(index) + " ;",
                        "lv2:index " + wrong + " ;");
}

void writeSong(const std::filesystem::path& path) {
    const smf::Bytes song =
        smf::file(0, 96,
                  {smf::Track()
                       .event(20, {0xB0, 71, 10}) // 0.104 s at 120 bpm: frame 4593
                       .event(31, {0x90, 100, 90})
                       .event(1, {0xC0, 3}) // two bytes: a program change, which the filter ignores
                       .event(45, {0xB0, 71, 120})
                       .end()});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(song.data()),
               static_cast<std::streamsize>(song.size()));
}

} // namespace

TEST_F(PlughostLv2, RendersTheSameSamplesAsTheVst2BuildSetUpAsHostsDo) {
    writeAudio(file("in.wav"), noise(2, kRate, kFrames));
    writeSong(file("song.mid"));
    const auto events = [](std::vector<std::string> more) {
        more.insert(more.begin(), kEvents.begin(), kEvents.end());
        return more;
    };
    const std::vector<TwinCase> cases = {
        {"defaults", {}},
        {"type just below HPF", {{kFilterType, 0.4f}}, events({})},
        {"type just above", {{kFilterType, 0.6f}}, events({})},
        {"HPF", {{kFilterType, 1.0f}}, events({})},
        {"frequency 0", {{kFrequency, 0.0f}}, events({})},
        {"frequency 25", {{kFrequency, 25.0f}}, events({})},
        {"frequency 100", {{kFrequency, 100.0f}}, events({})},
        {"resonance 0", {{kResonance, 0.0f}}, events({})},
        {"resonance 60", {{kResonance, 60.0f}}, events({})},
        {"resonance 100", {{kResonance, 100.0f}}, events({})},
        {"smoothness 0", {{kSmoothness, 0.0f}}, events({})},
        {"smoothness 33.3", {{kSmoothness, 33.3f}}, events({})},
        {"smoothness 100", {{kSmoothness, 100.0f}}, events({})},
        {"gain -24", {{kGain, -24.0f}}, events({})},
        {"gain -6.5", {{kGain, -6.5f}}, events({})},
        {"gain 0", {{kGain, 0.0f}}, events({})},
        {"cc cutoff 0", {{kCcCutoff, 0.0f}}, events({})},
        {"cc cutoff 74.4", {{kCcCutoff, 74.4f}}, events({})},
        {"cc cutoff off", {{kCcCutoff, 128.0f}}, events({})},
        {"cc rezo 1", {{kCcRezo, 1.0f}}, events({})},
        {"cc rezo 73.6", {{kCcRezo, 73.6f}}, events({})},
        {"cc rezo 127", {{kCcRezo, 127.0f}}, events({})},
        {"cc smooth 0", {{kCcSmooth, 0.0f}}, events({})},
        {"cc smooth 71", {{kCcSmooth, 71.0f}}, events({})},
        {"cc smooth off", {{kCcSmooth, 128.0f}}, events({})},
        {"MIDI file", {}, {"--midi", file("song.mid")}},
        {"block 1", {}, events({"--block", "1"})},
        {"block 64", {}, events({"--block", "64"})},
        {"block 1000", {}, events({"--block", "1000"})},
        {"in place", {}, events({}), {}, {"--in-place"}},
        // A block ends where a change is due: blocks of 512, 265, 247, 512, ...
        {"blocks of changing sizes",
         {},
         events({}),
         {{{kGain, -12.0f}, 777}, {{kGain, -12.0f}, 2048 + 3}, {{kGain, -12.0f}, 2048 + 4}}},
        {"ports changed between blocks",
         {},
         events({}),
         {{{kFrequency, 80.0f}, 4096}, {{kSmoothness, 2.0f}, 4096}, {{kGain, -3.0f}, 12288}}},
    };
    for (const TwinCase& twin : cases) {
        const auto [lv2, vst2] = renderBoth(twin);
        ASSERT_EQ(lv2.frames(), kFrames) << twin.name;
        EXPECT_EQ(agreeingFrom(lv2, vst2), 0) << twin.name;
    }
}

// Debian's lv2apply is a host of another make: it runs the plug-in a frame at a time, without
// the atom features, and writes the input's format.
TEST_F(PlughostLv2, AnotherHostRendersWhatTheVst2BuildRenders) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "lv2apply cannot load a library built with AddressSanitizer";
#endif
    writeAudio(file("in.wav"), noise(2, kRate, kFrames / 4));
    const std::string folder = std::filesystem::path(bundlePath()).parent_path();
    const int status =
        std::system(("env LV2_PATH=" + quoted(folder) + " lv2apply -i " + quoted(file("in.wav")) +
                     " -o " + quoted(file("other.wav")) + " urn:glidefilter:plugin 2>/dev/null")
                        .c_str());
    ASSERT_EQ(status, 0);
    std::vector<std::string> twin = {"--block", "1", "--params-after-start"};
    for (int32_t index = 0; index < kNumParams; ++index) {
        twin.insert(twin.end(),
                    {"--param", std::to_string(index) + "=" +
                                    number(parameterValueOfPort(index, portDefault(index)))});
    }
    EXPECT_EQ(agreeingFrom(readAudio(file("other.wav")), render(builtPluginPath(), twin, "v.wav")),
              0);
}

TEST_F(PlughostLv2, InfoShowsThePortsAndPresetsAtTheSettingsGiven) {
    // By name, index and symbol, in any capitals; values as numbers and as labels.
    const Outcome run = plughost({"info", bundlePath(), "--preset", "default", "--param",
                                  "Frequency=15", "--param", "2=5", "--param", "CC_REZO=3.4",
                                  "--param", "Flt.type=hpf", "--param", "cc_smooth=OFF"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    std::string info = run.output;
    const std::string bundle = std::filesystem::path(bundlePath()).lexically_normal().string();
    for (auto at = info.find(bundle); at != std::string::npos; at = info.find(bundle)) {
        info.replace(at, bundle.size(), "BUNDLE");
    }
    EXPECT_EQ(info, R"(name             Glide Filter
format           LV2
URI              urn:glidefilter:plugin
class            Filter
UI               ui:X11UI BUNDLE/glidefilter_ui.so
bundle           BUNDLE/
library          BUNDLE/glidefilter_dsp.so
audio inputs     2 (in_l, in_r)
audio outputs    2 (out_l, out_r)
atom inputs      1 (control)
atom outputs     1 (notify)
control outputs  0
MIDI input       control
in place         yes
needs features   none
uses features    lv2:hardRTCapable, options:options, urid:map
parameters       8
presets          1

index symbol     name       value display unit range    default properties           scale points
0     type       Flt.type   1     HPF          0 to 1   0       integer, enumeration 0 LPF, 1 HPF
1     frequency  Frequency  15    15 %    %    0 to 100 50
2     resonance  Reso/BW    5     5 %     %    0 to 100 10
3     smoothness Smoothness 10    10           0 to 100 10
4     gain       Gain       -12   -12 dB  dB   -24 to 0 -12
5     cc_cutoff  CC Cutoff  71    71           0 to 128 71      integer              128 OFF
6     cc_rezo    CC Rezo    3.4   3.4          0 to 128 128     integer              128 OFF
7     cc_smooth  CC Smooth  128   OFF          0 to 128 5       integer              128 OFF

presets
    0 Default   urn:glidefilter:preset:default
)");
}

// A bundle by its folder's name, a plug-in by its URI or by its name, in both formats; and the
// list of every plug-in found so.
TEST_F(PlughostLv2, FindsPluginsWhereHostsLookAndListsThem) {
    for (const std::string folder : {"lv2", "vst", "home/.lv2", "empty"}) {
        std::filesystem::create_directories(file(folder));
    }
    std::filesystem::copy(bundlePath(), file("lv2/glidefilter.lv2"));
    std::filesystem::copy(bundlePath(), file("home/.lv2/glidefilter.lv2"));
    std::filesystem::copy(TEST_EDITOR_PLUGIN_PATH, file("vst/pattern.so"));
    std::ofstream(file("vst/notaplugin.so")) << "not a library\n"; // passed over
    const std::string vst2 =
        " HOME=" + file("empty").string() + " LXVST_PATH= VST_PATH=" + file("vst").string();
    const std::string folders = "LV2_PATH=" + file("lv2").string() + vst2;
    const std::string defaults = "-u LV2_PATH HOME=" + file("home").string() + " VST_PATH=";
    const std::string lv2Info = "name             Glide Filter\nformat           LV2\n";
    struct Lookup {
        std::string argument;
        std::string environment;
        int exitCode;
        std::string text; // at the start of the output, or in the error
    };
    const std::vector<Lookup> lookups = {
        {"glidefilter.lv2", folders, 0, lv2Info},
        {"glidefilter.lv2", defaults, 0, lv2Info},
        {"urn:glidefilter:plugin", folders, 0, lv2Info},
        {"Glide Filter", folders, 0, lv2Info},
        {"glide filter", folders, 0, lv2Info},
        {"Test Pattern", folders, 0, "name             Test Pattern\nformat           VST 2\n"},
        {"Glide Filtr", folders, 1,
         "VST 2 folders (" + file("vst").string() + ", " + file("empty").string() + "/.lxvst, " +
             file("empty").string() + "/.vst, /usr/local/lib/lxvst, " +
             "/usr/local/lib/vst, /usr/lib/lxvst, /usr/lib/vst), and no plug-in there or in the "
             "LV2 folders (LV2_PATH: " +
             file("lv2").string() + ") has that name; the closest: Glide Filter"},
        {"glidefiltr.lv2", folders, 1,
         "cannot find LV2 bundle glidefiltr.lv2: no such folder in LV2_PATH: " +
             file("lv2").string() + "; the closest: glidefilter.lv2\n"},
        {"urn:glidefilter:plugn", folders, 1,
         "describes it; the closest: urn:glidefilter:plugin\n"},
    };
    for (const Lookup& lookup : lookups) {
        const Outcome run = plughost({"info", lookup.argument}, lookup.environment);
        EXPECT_EQ(run.exitCode, lookup.exitCode) << lookup.argument << ": " << run.errors;
        if (lookup.exitCode == 0) {
            EXPECT_TRUE(run.output.starts_with(lookup.text)) << lookup.argument << run.output;
        } else {
            EXPECT_NE(run.errors.find(lookup.text), std::string::npos) << run.errors;
            EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        }
    }
    // Plug-ins installed in the system's folders may be listed too, and widen the columns.
    const Outcome list = plughost({"list"}, folders);
    EXPECT_EQ(list.exitCode, 0) << list.errors;
    EXPECT_EQ(list.errors, "");
    std::set<std::string> listed;
    std::istringstream lines(list.output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string joined;
        for (std::string word; words >> word;) {
            joined += (joined.empty() ? "" : " ") + word;
        }
        listed.insert(joined);
    }
    EXPECT_TRUE(listed.contains("LV2 Glide Filter urn:glidefilter:plugin")) << list.output;
    EXPECT_TRUE(listed.contains("VST2 Test Pattern " + file("vst/pattern.so").string()))
        << list.output;
    EXPECT_EQ(list.output.find("notaplugin"), std::string::npos) << list.output;
}

// In both formats a label stands for its value: LV2's scale points, the VST 2 build's texts.
TEST_F(PlughostLv2, ALabelSetsWhatItsValueSets) {
    struct LabelCase {
        std::string plugin;
        std::string label;
        std::string number;
    };
    const std::vector<LabelCase> cases = {
        {bundlePath(), "type=HPF", "type=1"},
        {bundlePath(), "Flt.type=hpf", "0=1"},
        {bundlePath(), "cc_rezo=OFF", "cc_rezo=128"},
        {builtPluginPath(), "Flt.type=HPF", "Flt.type=1"},
        {builtPluginPath(), "Flt.type=LPF", "0=0"},
        {builtPluginPath(), "CC Rezo=off", "6=1"},
    };
    for (const LabelCase& label : cases) {
        const Outcome byLabel = plughost({"info", label.plugin, "--param", label.label});
        EXPECT_EQ(byLabel.exitCode, 0) << label.label << ": " << byLabel.errors;
        EXPECT_EQ(byLabel.output, plughost({"info", label.plugin, "--param", label.number}).output)
            << label.label;
    }
}

// A plug-in's texts cannot split info's lines nor reach the terminal as commands.
TEST_F(PlughostLv2, InfoEscapesThePluginsTextsAndTellsAMissingUiLibrary) {
    copyBundleReplacing(file("odd.lv2"), "glidefilter.ttl", "doap:name \"Glide Filter\"",
                        "doap:name \"Glide\\nFilter\\u001B[2J\"");
    const std::string presets = readText(file("odd.lv2/presets.ttl"));
    std::ofstream(file("odd.lv2/presets.ttl"))
        << replaced(presets, "rdfs:label \"Default\"", "rdfs:label \"Bright\\u009B31m\\tred\"");
    std::filesystem::remove(file("odd.lv2/glidefilter_ui.so"));
    const Outcome run = plughost({"info", file("odd.lv2")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    for (const std::string line :
         {"name             Glide\\nFilter\\x1b[2J\n",
          "    0 Bright\\u009b31m\\tred   urn:glidefilter:preset:default\n",
          "odd.lv2/glidefilter_ui.so (missing: no such file)\n"}) {
        EXPECT_NE(run.output.find(line), std::string::npos) << line << run.output;
    }
    EXPECT_EQ(run.output.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.output.find("\xc2\x9b"), std::string::npos);
}

TEST_F(PlughostLv2, RefusesWhatItCannotHostWithOneLine) {
    writeAudio(file("in.wav"), noise(2, kRate, 100));
    std::filesystem::create_directory(file("empty"));
    // A bundle whose library is no library.
    std::filesystem::copy(bundlePath(), file("broken.lv2"));
    std::ofstream(file("broken.lv2/glidefilter_dsp.so")) << "not a library\n";
    // One whose UI library is no library, and one that names no UI.
    std::filesystem::copy(bundlePath(), file("brokenui.lv2"));
    std::ofstream(file("brokenui.lv2/glidefilter_ui.so")) << "not a library\n";
    std::filesystem::copy(bundlePath(), file("noui.lv2"));
    std::string manifest = readText(file("noui.lv2/manifest.ttl"));
    const size_t uiLine = manifest.find("\tui:ui <");
    manifest.erase(uiLine, manifest.find('\n', uiLine) + 1 - uiLine);
    std::ofstream(file("noui.lv2/manifest.ttl")) << manifest;
    // Descriptions lilv cannot read safely: a port index that makes it allocate gigabytes, a
    // gap in the indices (it drops every port), two ports of one index.
    for (const auto& [bundle, index, wrong] :
         {std::tuple{"hugeindex.lv2", 13, "4000000000"}, std::tuple{"gap.lv2", 13, "14"},
          std::tuple{"twice.lv2", 13, "12"}}) {
        copyBundleWithPortIndex(file(bundle), index, wrong);
    }
    // A library whose descriptor lacks the entries TEST_LV2_NULL names.
    std::filesystem::copy(bundlePath(), file("entries.lv2"));
    std::filesystem::copy(TEST_LV2_ENTRIES_PATH, file("entries.lv2/glidefilter_dsp.so"),
                          std::filesystem::copy_options::overwrite_existing);
    const std::string search = "LV2_PATH=" + file("empty").string();
    struct Refusal {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
        std::string environment = "";
    };
    const std::vector<Refusal> refusals = {
        {{"info", "/nonexistent/x.lv2"}, 1, "cannot find LV2 bundle /nonexistent/x.lv2: no such"},
        {{"info", file("empty")}, 1, "empty is no LV2 bundle: it has no manifest.ttl"},
        {{"info", "urn:nosuch:plugin"},
         1,
         "cannot find LV2 plug-in urn:nosuch:plugin: no bundle on LV2_PATH (" +
             file("empty").string() + ") describes it"},
        {{"info", file("broken.lv2")}, 1, "cannot instantiate urn:glidefilter:plugin at 44100 Hz"},
        {{"render", bundlePath(), file("in.wav"), file("out.wav"), "--param", "gain=loud"},
         2,
         "bad parameter value 'loud' for Gain: not a number; it takes -24 to 0 dB"},
        {{"render", bundlePath(), file("in.wav"), file("out.wav"), "--param-at", "cutoff=1@5"},
         2,
         "no parameter named 'cutoff' (it has Flt.type, Frequency, Reso/BW, Smoothness, Gain, "
         "CC Cutoff, CC Rezo, CC Smooth)"},
        {{"info", bundlePath(), "--preset", "Bright"},
         2,
         "the plug-in has no preset named 'Bright' (it has Default)"},
        {{"info", bundlePath(), "--program", "1"},
         2,
         "preset 1 does not exist: the plug-in has presets 0 to 0"},
        {{"screenshot", file("brokenui.lv2"), file("ui.png")}, 1, "cannot load the UI library"},
        {{"screenshot", file("noui.lv2"), file("ui.png")},
         1,
         "Glide Filter (urn:glidefilter:plugin) has no X11 UI"},
        {{"info", file("hugeindex.lv2")},
         1,
         "urn:glidefilter:plugin describes a port with index 4000000000: its 14 ports must be "
         "numbered 0 to 13"},
        {{"render", file("gap.lv2"), file("in.wav"), file("out.wav")},
         1,
         "describes a port with index 14: its 14 ports must be numbered 0 to 13"},
        {{"info", file("twice.lv2")}, 1, "describes two ports with index 12"},
        {{"info", file("entries.lv2")},
         1,
         "the descriptor of urn:glidefilter:plugin in " + file("entries.lv2").string() +
             "/glidefilter_dsp.so has no connect_port function",
         "TEST_LV2_NULL=connect_port"},
        {{"render", file("entries.lv2"), file("in.wav"), file("out.wav")},
         1,
         "glidefilter_dsp.so has no run, cleanup function",
         "TEST_LV2_NULL=run,cleanup"},
    };
    for (const Refusal& refusal : refusals) {
        const Outcome run = plughost(refusal.arguments, search + " " + refusal.environment);
        const std::string name = refusal.arguments[1];
        EXPECT_EQ(run.exitCode, refusal.exitCode) << name << ": " << run.errors;
        EXPECT_NE(run.errors.find(refusal.message), std::string::npos) << name << run.errors;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << name << run.errors;
    }
    EXPECT_FALSE(std::filesystem::exists(file("out.wav")));
}
