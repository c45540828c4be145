// plughost render end to end: its output equals what a host loop gives through the test host,
// events land at their frames, and the file's format follows its name. plughost info too.
#include "tests/host/test_plughost_support.h"
#include "tests/unit/test_smf_builder.h"
#include "tools/plughost/commands/eventoptions.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <fcntl.h>
#include <functional>
#include <numbers>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace plughost_test;

namespace {

struct MidiAt {
    int64_t frame;
    std::array<uint8_t, 3> data;
};

// The list a host hands over: a count, a reserved word, then the event pointers.
struct EventList {
    int32_t numEvents;
    intptr_t reserved;
    std::array<VstEvent*, 128> events;
};
static_assert(offsetof(EventList, events) == offsetof(VstEvents, events));

struct HostLoop {
    std::function<void(const plughost::PluginInstance&)> setUp = [](const auto&) {};
    float sampleRate;
    int32_t blockSize;
    std::vector<MidiAt> events; // in delivery order
    bool replacing = false;
};

// What a host does with the test host's instance: settings, rate, block size, switched on; then
// each block's events with their offsets in the block, then the block into a cleared buffer.
Audio hostRender(const Audio& input, const HostLoop& loop) {
    plughost::RecordingHost host;
    plughost::PluginInstance plugin(builtPlugin(), host);
    loop.setUp(plugin);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, loop.sampleRate);
    plugin.dispatch(effSetBlockSize, 0, loop.blockSize);
    plugin.dispatch(effMainsChanged, 0, 1);

    Audio output{2, static_cast<int>(loop.sampleRate), input.format, {}};
    std::vector<float> left(static_cast<size_t>(loop.blockSize));
    std::vector<float> right(left.size());
    std::vector<float> outLeft(left.size());
    std::vector<float> outRight(left.size());
    std::array<float*, 2> in{left.data(), right.data()};
    std::array<float*, 2> out{outLeft.data(), outRight.data()};
    size_t nextEvent = 0;
    for (int64_t start = 0; start < input.frames(); start += loop.blockSize) {
        const auto frames =
            static_cast<int32_t>(std::min<int64_t>(loop.blockSize, input.frames() - start));
        for (int32_t i = 0; i < frames; ++i) {
            left[i] = input.at(start + i, 0);
            right[i] = input.at(start + i, input.channels > 1 ? 1 : 0);
        }
        std::vector<VstMidiEvent> midi;
        while (nextEvent < loop.events.size() && loop.events[nextEvent].frame < start + frames) {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.deltaFrames = static_cast<int32_t>(loop.events[nextEvent].frame - start);
            for (int byte = 0; byte < 3; ++byte) {
                event.midiData[byte] = static_cast<char>(loop.events[nextEvent].data[byte]);
            }
            midi.push_back(event);
            ++nextEvent;
        }
        if (!midi.empty()) {
            EventList list{static_cast<int32_t>(midi.size()), 0, {}};
            for (size_t i = 0; i < midi.size(); ++i) {
                list.events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
            }
            plugin.dispatch(effProcessEvents, 0, 0, &list);
        }
        std::fill(outLeft.begin(), outLeft.end(), 0.0f);
        std::fill(outRight.begin(), outRight.end(), 0.0f);
        if (loop.replacing) {
            plugin.processReplacing(in.data(), out.data(), frames);
        } else {
            plugin.process(in.data(), out.data(), frames);
        }
        for (int32_t i = 0; i < frames; ++i) {
            output.samples.push_back(outLeft[i]);
            output.samples.push_back(outRight[i]);
        }
    }
    plugin.dispatch(effMainsChanged, 0, 0);
    return output;
}

// The first frame at which the two differ in any channel, or -1.
int64_t firstDifference(const Audio& a, const Audio& b) {
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_EQ(a.frames(), b.frames());
    for (int64_t frame = 0; frame < std::min(a.frames(), b.frames()); ++frame) {
        for (int channel = 0; channel < std::min(a.channels, b.channels); ++channel) {
            if (a.at(frame, channel) != b.at(frame, channel)) {
                return frame;
            }
        }
    }
    return -1;
}

MidiAt controller(int64_t frame, uint8_t number, uint8_t value) {
    return {frame, {0xB0, number, value}};
}

MidiAt note(int64_t frame, uint8_t number) {
    return {frame, {0x90, number, 100}};
}

// What a pipe's reader receives while `write` runs.
std::string readPipeWhile(const std::filesystem::path& pipe, const std::function<void()>& write) {
    // Open without waiting for a writer; with a reader there, the writer's open returns at once.
    const int pipeFd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_GE(pipeFd, 0);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        write();
        done = true;
    });
    std::string received;
    std::array<char, 4096> chunk{};
    for (;;) {
        const bool finished = done; // before the read: what it wrote is drained below
        const ssize_t got = read(pipeFd, chunk.data(), chunk.size());
        if (got > 0) {
            received.append(chunk.data(), static_cast<size_t>(got));
        } else if (finished) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    writer.join();
    close(pipeFd);
    return received;
}

using PlughostRender = PlughostTest;

} // namespace

TEST_F(PlughostRender, MatchesAHostLoopWithSettingsAndEventsGivenOutOfOrder) {
    writeAudio(file("in.wav"), noise(2, 48000, 12000));
    std::vector<std::string> arguments = {
        "render", builtPluginPath(), file("in.wav"), file("out.wav"), "--program", "5",
        // Parameters by index and by name, as info shows it but in other capitals.
        "--param=1=0.3", "--param", "reso/bw=0.8", "--param", "3=0.05", "--block", "256",
        // Out of order on the command line; two on frame 3000 keep their given order.
        "--note", "72@9000", "--cc", "71:100@1000", "--note", "60@3000", "--cc", "71:5@3000",
        // Times in seconds at the render's rate, a note by name with its velocity and length.
        "--note", "A3@125ms,vel=80,len=0.0125s", "--cc", "74:9@0.1s"};
    HostLoop loop{.setUp =
                      [](const plughost::PluginInstance& plugin) {
                          plugin.dispatch(effSetProgram, 0, 5);
                          plugin.setParameter(param::frequency, 0.3f);
                          plugin.setParameter(param::resonance, 0.8f);
                          plugin.setParameter(param::smoothness, 0.05f);
                      },
                  .sampleRate = 48000.0f,
                  .blockSize = 256,
                  .events = {controller(1000, 71, 100), note(3000, 60), controller(3000, 71, 5),
                             controller(4800, 74, 9)}};
    // A sweep with many events in one block: the list grows past its two declared slots.
    for (int64_t frame = 5000; frame < 5250; frame += 10) {
        const auto value = static_cast<uint8_t>((frame - 5000) / 2);
        arguments.push_back("--cc");
        arguments.push_back("71:" + std::to_string(value) + "@" + std::to_string(frame));
        loop.events.push_back(controller(frame, 71, value));
    }
    loop.events.insert(loop.events.end(), {{6000, {0x90, 57, 80}}, {6600, {0x80, 57, 64}}});
    loop.events.push_back(note(9000, 72));

    const Outcome run = plughost(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "") << "no progress bar when stderr is not a terminal";
    const Audio rendered = readAudio(file("out.wav"));
    EXPECT_EQ(rendered.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(rendered.sampleRate, 48000);
    EXPECT_EQ(firstDifference(rendered, hostRender(readAudio(file("in.wav")), loop)), -1);
}

// Times in frames, seconds or milliseconds at the run's rate (rounded to the nearest frame, halves
// up); notes by number or name (C4 is 60), with a velocity and a length that sends the note-off.
TEST(PlughostEventOptions, TimesAndNotesBecomeMessagesAtFramesOfTheRun) {
    using Events = std::vector<plughost::TimedMidiEvent>;
    struct EventCase {
        std::vector<std::string> arguments;
        int sampleRate;
        Events events;
    };
    const std::vector<EventCase> cases = {
        {{"--cc", "71:127@2s"}, 48000, {{96000, {0xB0, 71, 127}}}},
        {{"--cc", "1:2@1500ms"}, 44100, {{66150, {0xB0, 1, 2}}}},
        {{"--cc", "1:2@2.5s", "--cc", "1:3@7"}, 8000, {{20000, {0xB0, 1, 2}}, {7, {0xB0, 1, 3}}}},
        {{"--cc", "1:2@0.0625ms", "--cc", "1:3@0.0624ms"},
         8000,
         {{1, {0xB0, 1, 2}}, {0, {0xB0, 1, 3}}}},
        {{"--note", "C4@0", "--note", "F#3@0", "--note", "Bb2@0", "--note", "c-1@0", "--note",
          "G9@0", "--note", "B#3@0", "--note", "61@0"},
         44100,
         {{0, {0x90, 60, 100}},
          {0, {0x90, 54, 100}},
          {0, {0x90, 46, 100}},
          {0, {0x90, 0, 100}},
          {0, {0x90, 127, 100}},
          {0, {0x90, 60, 100}},
          {0, {0x90, 61, 100}}}},
        {{"--note", "A4@1s,vel=80,len=0.5s"},
         48000,
         {{72000, {0x80, 69, 64}}, {48000, {0x90, 69, 80}}}},
        {{"--note", "E2@10,len=30,vel=1"}, 48000, {{40, {0x80, 40, 64}}, {10, {0x90, 40, 1}}}},
        // Shorter than a frame, it still ends after it starts.
        {{"--note", "C4@10,len=0.001ms"}, 48000, {{11, {0x80, 60, 64}}, {10, {0x90, 60, 100}}}},
        // A note played again as it ends: the note-off comes first on their frame.
        {{"--note", "C4@0,len=100", "--note", "C4@100"},
         48000,
         {{100, {0x80, 60, 64}}, {0, {0x90, 60, 100}}, {100, {0x90, 60, 100}}}},
    };
    const plughost::CommandLine::OptionSet options{{"--cc", "--note"}, {}};
    for (const EventCase& events : cases) {
        const plughost::MidiEventOptions given(plughost::CommandLine(events.arguments, options));
        EXPECT_EQ(given.at(events.sampleRate), events.events) << events.arguments[1];
    }
    EXPECT_EQ(plughost::parseParameterChange("1=0.2@12.5ms").at.frameAt(44100), 551);
}

// --rate at the input's own rate changes nothing: the samples are not converted.
TEST_F(PlughostRender, ReplacingMonoInputAtARateOtherThanTheDefaultMatchesAHostLoop) {
    writeAudio(file("mono.wav"), noise(1, 96000, 5000));
    const Outcome run =
        plughost({"render", builtPluginPath(), file("mono.wav"), file("out.wav"), "--replacing",
                  "--rate", "96000", "--block", "100", "--cc", "71:0@2050"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio rendered = readAudio(file("out.wav"));
    EXPECT_EQ(rendered.channels, 2);
    EXPECT_EQ(rendered.sampleRate, 96000);
    const HostLoop loop{.sampleRate = 96000.0f,
                        .blockSize = 100,
                        .events = {controller(2050, 71, 0)},
                        .replacing = true};
    EXPECT_EQ(firstDifference(rendered, hostRender(readAudio(file("mono.wav")), loop)), -1);
    // Both inputs carry the mono signal, so both outputs agree.
    for (int64_t frame = 0; frame < rendered.frames(); ++frame) {
        ASSERT_EQ(rendered.at(frame, 0), rendered.at(frame, 1)) << frame;
    }
}

// Another rate than the input's resamples it: a second of 441 Hz stays a second of 441 Hz.
TEST_F(PlughostRender, ARateOtherThanTheInputsResamplesItKeepingPitchAndLength) {
    const std::vector<std::pair<int, int>> rates = {{44100, 48000}, {48000, 44100}, {22050, 96000}};
    for (const auto& [inputRate, renderRate] : rates) {
        Audio sine{1, inputRate, SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}};
        for (int frame = 0; frame < inputRate; ++frame) {
            sine.samples.push_back(0.5f * std::sin(2.0f * std::numbers::pi_v<float> * 441.0f *
                                                   static_cast<float>(frame) /
                                                   static_cast<float>(inputRate)));
        }
        writeAudio(file("sine.wav"), sine);
        const Outcome run =
            plughost({"render", builtPluginPath(), file("sine.wav"), file("out.wav"), "--rate",
                      std::to_string(renderRate), "--param", "1=1"});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(run.errors, "plughost: note: resampling " + file("sine.wav").string() + " from " +
                                  std::to_string(inputRate) + " Hz to " +
                                  std::to_string(renderRate) +
                                  " Hz (libsamplerate, best quality)\n");
        const Audio rendered = readAudio(file("out.wav"));
        EXPECT_EQ(rendered.sampleRate, renderRate);
        EXPECT_EQ(rendered.frames(), renderRate) << inputRate << " to " << renderRate;
        int rises = 0;
        for (int64_t frame = 1; frame < rendered.frames(); ++frame) {
            rises += rendered.at(frame - 1, 0) < 0.0f && rendered.at(frame, 0) >= 0.0f ? 1 : 0;
        }
        EXPECT_NEAR(rises, 441, 1) << inputRate << " to " << renderRate;
    }
}

TEST_F(PlughostRender, MidiFileEventsLandAtTheirFramesThroughTheTempoMap) {
    // 96 ticks at 120 bpm (0.5 s), then 240 bpm: tick 192 is 0.75 s, frame 36000 at 48 kHz.
    constexpr int64_t kNoteFrame = 36000;
    const smf::Bytes song =
        smf::file(1, 96,
                  {smf::Track().tempo(0, 500000).tempo(96, 250000).end(),
                   smf::Track().event(192, {0x90, 100, 90}).event(0, {0x80, 100, 0}).end()});
    std::ofstream(file("song.mid"), std::ios::binary)
        .write(reinterpret_cast<const char*>(song.data()),
               static_cast<std::streamsize>(song.size()));
    writeAudio(file("in.wav"), noise(2, 48000, 48000));
    // Smoothness 0: a coefficient step after every sample, so a change shows one frame later.
    const std::vector<std::string> common = {"--param", "3=0", "--block", "512"};
    const auto render = [&](const std::string& output, std::vector<std::string> extra) {
        std::vector<std::string> arguments = {"render", builtPluginPath(), file("in.wav"),
                                              file(output)};
        arguments.insert(arguments.end(), common.begin(), common.end());
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const Outcome run = plughost(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        return readAudio(file(output));
    };
    const Audio plain = render("plain.wav", {});
    const Audio withFile = render("file.wav", {"--midi", file("song.mid")});
    const Audio withNote = render("note.wav", {"--note", "100@" + std::to_string(kNoteFrame)});

    // The change is applied after frame F; the step after frame F+1 shapes frame F+2 on.
    EXPECT_EQ(firstDifference(plain, withFile), kNoteFrame + 2);
    EXPECT_EQ(firstDifference(withFile, withNote), -1);
}

TEST_F(PlughostRender,
       TheOutputsExtensionChoosesItsFormatKeepingTheInputsSampleFormatUnlessBitsSaysOtherwise) {
    struct FormatCase {
        std::string input;
        int inputFormat;
        std::string output;
        int outputFormat;
        std::string bits = ""; // --bits, when given
    };
    const std::vector<FormatCase> cases = {
        {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "a-out.flac",
         SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "b-out.wav",
         SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"c.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "c-out.FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"d.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "d-out.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"e.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, "e-out", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        // libsndfile approves MP3 data in a WAV file but cannot write it.
        {"f.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "f-out.wav",
         SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"g.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "g-out.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24,
         "24"},
        {"h.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "h-out.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT,
         "32f"},
        {"i.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "i-out", SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         "16"},
    };
    std::vector<std::string> written;
    for (const FormatCase& format : cases) {
        writeAudio(file(format.input), noise(1, 44100, 3000, format.inputFormat));
        std::vector<std::string> arguments = {"render", builtPluginPath(), file(format.input),
                                              file(format.output)};
        if (!format.bits.empty()) {
            arguments.insert(arguments.end(), {"--bits", format.bits});
        }
        const Outcome run = plughost(arguments);
        ASSERT_EQ(run.exitCode, 0) << format.output << ": " << run.errors;
        const Audio rendered = readAudio(file(format.output));
        EXPECT_EQ(rendered.format, format.outputFormat) << format.output;
        EXPECT_EQ(rendered.channels, 2) << format.output;
        EXPECT_EQ(rendered.frames(), 3000) << format.output;
        written.insert(written.end(), {format.input, format.output});
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(contents(), written);
}

TEST_F(PlughostRender, GenerateWritesABrightStereoInputOfTheGivenLength) {
    const Outcome run =
        plughost({"generate", file("chord.wav"), "--seconds", "1.5", "--rate", "32000"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Audio chord = readAudio(file("chord.wav"));
    EXPECT_EQ(chord.channels, 2);
    EXPECT_EQ(chord.sampleRate, 32000);
    EXPECT_EQ(chord.frames(), 48000);
    float peak = 0.0f;
    for (float sample : chord.samples) {
        peak = std::max(peak, std::abs(sample));
    }
    EXPECT_GT(peak, 0.3f);
    EXPECT_LT(peak, 1.0f);
    ASSERT_EQ(plughost({"generate", file("chord.flac"), "--seconds", "0.1"}).exitCode, 0);
    EXPECT_EQ(readAudio(file("chord.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
}

// Where each line of the parameter table has its range column: the header's "range" and each
// row's range start at the same place.
std::vector<size_t> valueColumns(const std::string& info) {
    std::istringstream lines(info.substr(info.find("\nindex")));
    std::vector<size_t> columns;
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.empty()) {
        columns.push_back(line.find(columns.empty() ? "range" : "0 to 1"));
    }
    return columns;
}

TEST_F(PlughostRender, InfoDecodesFlagsAndCapabilitiesAtTheSettingsGiven) {
    const Outcome editor = plughost({"info", TEST_EDITOR_PLUGIN_PATH, "--param=Shade=0.25"});
    ASSERT_EQ(editor.exitCode, 0) << editor.errors;
    for (const std::string line :
         {"flags            1: editor\n",
          "MIDI input       receiveVstEvents yes, receiveVstMidiEvent no\n", "Shade", "0.25 "}) {
        EXPECT_NE(editor.output.find(line), std::string::npos) << line << editor.output;
    }
    // Its parameter 1 has a name longer than most; the columns stay aligned.
    const std::vector<size_t> columns = valueColumns(editor.output);
    ASSERT_EQ(columns.size(), 4u) << editor.output;
    EXPECT_EQ(std::count(columns.begin(), columns.end(), columns.front()), 4) << editor.output;
    // Its entry is exported as `main` only.
    const Outcome plain = plughost({"info", TEST_PLAIN_PLUGIN_PATH});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors;
    EXPECT_NE(plain.output.find("flags            0\n"), std::string::npos) << plain.output;
    const Outcome filter = plughost({"info", builtPluginPath()});
    EXPECT_NE(filter.output.find(
                  "flags            " +
                  std::string(GLIDEFILTER_LEGACY_HOSTS != 0
                                  ? "9: editor, can process mono\n"
                                  : "25: editor, can process mono, in-place processing\n")),
              std::string::npos)
        << filter.output;
}

// Without a slash, a name is a file in this folder or a plug-in where hosts look for one.
TEST_F(PlughostRender, InfoFindsABareNameInTheFoldersHostsSearch) {
    for (const std::string folder : {"lx", "vst", "home/.vst", "here"}) {
        std::filesystem::create_directories(file(folder));
    }
    std::filesystem::copy(TEST_EDITOR_PLUGIN_PATH, file("vst/pattern.so"));
    std::filesystem::copy(TEST_PLAIN_PLUGIN_PATH, file("home/.vst/pattern.so"));
    std::filesystem::copy(TEST_PLAIN_PLUGIN_PATH, file("here/pattern"));
    const std::string search = "HOME=" + file("home").string() +
                               " LXVST_PATH=" + file("lx").string() +
                               " VST_PATH=" + file("vst").string();
    struct Lookup {
        std::string name;
        std::string environment;
        std::string flags; // which of the two plug-ins was found
    };
    const std::vector<Lookup> lookups = {
        {"pattern", search, "1: editor"},
        {"pattern.so", search, "1: editor"},
        {"pattern", "-u LXVST_PATH -u VST_PATH HOME=" + file("home").string(), "0"},
        {"pattern", "-C " + file("here").string() + " " + search, "0"},
    };
    for (const Lookup& lookup : lookups) {
        const Outcome run = plughost({"info", lookup.name}, lookup.environment);
        EXPECT_EQ(run.exitCode, 0) << lookup.environment << ": " << run.errors;
        EXPECT_NE(run.output.find("flags            " + lookup.flags + "\n"), std::string::npos)
            << lookup.environment << ": " << run.output;
    }
}

TEST_F(PlughostRender, WritesThroughPipesAndDevicesAndFollowsLinks) {
    writeAudio(file("in.wav"), noise(2, 44100, 3000));
    const auto render = [&](const std::filesystem::path& output) {
        const Outcome run = plughost({"render", builtPluginPath(), file("in.wav"), output});
        EXPECT_EQ(run.exitCode, 0) << output << ": " << run.errors;
    };
    render(file("plain.wav"));
    const std::string expected = readText(file("plain.wav"));

    std::filesystem::create_directory(file("takes"));
    std::ofstream(file("takes/take.wav")) << "older take";
    std::filesystem::create_symlink("takes/take.wav", file("link.wav"));
    render(file("link.wav"));
    EXPECT_TRUE(std::filesystem::is_symlink(file("link.wav")));
    EXPECT_EQ(readText(file("takes/take.wav")), expected);

    ASSERT_EQ(mkfifo(file("pipe.wav").c_str(), 0600), 0);
    EXPECT_EQ(readPipeWhile(file("pipe.wav"), [&] { render(file("pipe.wav")); }), expected);
    EXPECT_TRUE(std::filesystem::is_fifo(file("pipe.wav")));

    render("/dev/null");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    const Outcome toStandardOutput = plughost({"render", builtPluginPath(), file("in.wav"), "-"});
    EXPECT_EQ(toStandardOutput.exitCode, 0) << toStandardOutput.errors;
    EXPECT_EQ(toStandardOutput.output, expected);
    EXPECT_EQ(contents(),
              (std::vector<std::string>{"in.wav", "link.wav", "pipe.wav", "plain.wav", "takes"}));
}
