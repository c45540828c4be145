// plughost render: an audio file through the plug-in, with parameters, a program and MIDI.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/eventoptions.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/files/smf.h"
#include "tools/plughost/files/soundfile.h"
#include "tools/plughost/files/soundformat.h"
#include "tools/plughost/playback/progress.h"
#include "tools/plughost/playback/renderer.h"
#include "tools/plughost/playback/resampler.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace plughost {
namespace {

constexpr int32_t kDefaultBlockSize = 512;
constexpr int32_t kLargestBlockSize = 1 << 16;

const CommandLine::OptionSet kRenderOptions{{"--param", "--program", "--preset", "--param-at",
                                             "--midi", "--cc", "--note", "--bits", "--block",
                                             "--rate"},
                                            {"--replacing", "--in-place", "--params-after-start"}};

struct RenderJob {
    std::string pluginPath;
    std::string inputPath;
    std::string outputPath;
    PluginSettings plugin;
    std::optional<std::string> midiPath;
    MidiEventOptions commandLineEvents;
    std::vector<ParameterChange> parameterChanges = {};
    std::optional<int> sampleRate = std::nullopt;
    std::optional<int> encoding = std::nullopt; // of --bits
    int32_t blockSize = kDefaultBlockSize;
    bool replacing = false;
    bool inPlace = false;
    // As some hosts do: after the sample rate is set and the plug-in switched on.
    bool settingsAfterStart = false;
};

RenderJob parseRenderJob(const Arguments& arguments) {
    const CommandLine line(arguments, kRenderOptions);
    requireArgumentCount(line, 3, "render");
    RenderJob job{.pluginPath = line.positional()[0],
                  .inputPath = line.positional()[1],
                  .outputPath = line.positional()[2],
                  .plugin = parsePluginSettings(line),
                  .midiPath = line.value("--midi"),
                  .commandLineEvents = MidiEventOptions(line)};
    for (const auto& [option, value] : line.options()) {
        if (option == "--param-at") {
            job.parameterChanges.push_back(parseParameterChange(value));
        }
    }
    if (const auto rate = line.value("--rate")) {
        job.sampleRate = parseSampleRate(*rate);
    }
    if (const auto bits = line.value("--bits")) {
        job.encoding = encodingForBits(*bits);
    }
    if (const auto block = line.value("--block")) {
        job.blockSize =
            static_cast<int32_t>(parseInteger(*block, "block size", 1, kLargestBlockSize));
    }
    job.replacing = line.flag("--replacing");
    job.inPlace = line.flag("--in-place");
    job.settingsAfterStart = line.flag("--params-after-start");
    return job;
}

// Mono feeds every input; otherwise input c takes file channel c, and inputs beyond the file's
// channels stay silent.
void deinterleaveInto(Renderer& renderer, const std::vector<float>& interleaved, int fileChannels,
                      int32_t frames) {
    for (int32_t input = 0; input < renderer.inputCount(); ++input) {
        const int source = fileChannels == 1 ? 0 : input;
        float* destination = renderer.input(input);
        for (int32_t frame = 0; frame < frames; ++frame) {
            destination[frame] =
                source < fileChannels
                    ? interleaved[static_cast<size_t>(frame) * fileChannels + source]
                    : 0.0f;
        }
    }
}

void interleaveFrom(const Renderer& renderer, std::vector<float>& interleaved, int32_t frames) {
    const int32_t channels = renderer.outputCount();
    for (int32_t output = 0; output < channels; ++output) {
        const float* source = renderer.output(output);
        for (int32_t frame = 0; frame < frames; ++frame) {
            interleaved[static_cast<size_t>(frame) * channels + output] = source[frame];
        }
    }
}

void warnAboutIgnoredInput(const RenderJob& job, int fileChannels, int32_t pluginInputs,
                           size_t lateEvents, size_t lateChanges) {
    if (fileChannels > 1 && fileChannels > pluginInputs) {
        std::fprintf(
            stderr,
            "plughost: note: %s has %d channels, the plug-in takes %d; the rest are left out\n",
            job.inputPath.c_str(), fileChannels, pluginInputs);
    }
    if (lateEvents > 0) {
        std::fprintf(stderr, "plughost: note: MIDI events after the end of %s, not sent: %zu\n",
                     job.inputPath.c_str(), lateEvents);
    }
    if (lateChanges > 0) {
        std::fprintf(stderr,
                     "plughost: note: parameter changes after the end of %s, not made: %zu\n",
                     job.inputPath.c_str(), lateChanges);
    }
}

// The input's rate is the render rate unless --rate is given; both follow one rule.
void requireRenderRate(const RenderJob& job, int sampleRate) {
    if (sampleRate < kLowestSampleRate || sampleRate > kHighestSampleRate) {
        throw HostError("cannot render " + job.inputPath + " at its sample rate, " +
                        std::to_string(sampleRate) + " Hz: plughost runs plug-ins at " +
                        std::to_string(kLowestSampleRate) + " to " +
                        std::to_string(kHighestSampleRate) + " Hz (choose one with --rate)");
    }
}

// An input at another rate than the render's is converted as it is read.
std::unique_ptr<Resampler> resamplerIfNeeded(const RenderJob& job, SoundFileReader& file,
                                             int sampleRate) {
    return file.sampleRate() == sampleRate
               ? nullptr
               : std::make_unique<Resampler>(file, file.sampleRate(), sampleRate, job.inputPath);
}

// Once the output is open: a refusal before it stays the only line.
void noteResampling(const RenderJob& job, const SoundFileReader& file, int sampleRate) {
    if (file.sampleRate() != sampleRate) {
        std::fprintf(stderr,
                     "plughost: note: resampling %s from %d Hz to %d Hz (libsamplerate, best "
                     "quality)\n",
                     job.inputPath.c_str(), file.sampleRate(), sampleRate);
    }
}

// Parameter changes at their frames: a block ends where the next change is due, so that each
// takes effect exactly there, as hosts split their blocks for automation.
class ChangeSchedule {
public:
    // Throws UsageError for a parameter the plug-in does not have or a value it does not take,
    // before anything is played.
    ChangeSchedule(Plugin& plugin, const std::vector<ParameterChange>& given, int sampleRate)
        : plugin(plugin) {
        for (const ParameterChange& change : given) {
            resolveSetting(plugin, change.setting);
            changes.push_back({change.setting, change.at.frameAt(sampleRate)});
        }
        std::stable_sort(changes.begin(), changes.end(),
                         [](const Due& a, const Due& b) { return a.frame < b.frame; });
    }

    // The longest block from the position that ends before the next change after it.
    int32_t blockLength(int64_t position, int32_t blockSize) const {
        size_t following = next;
        while (following < changes.size() && changes[following].frame <= position) {
            ++following;
        }
        return following < changes.size() ? static_cast<int32_t>(std::min<int64_t>(
                                                blockSize, changes[following].frame - position))
                                          : blockSize;
    }
    void makeDueChanges(int64_t position) {
        while (next < changes.size() && changes[next].frame <= position) {
            applyParameterSetting(plugin, changes[next++].setting);
        }
    }
    size_t remaining() const { return changes.size() - next; }

private:
    struct Due {
        ParameterSetting setting;
        int64_t frame;
    };

    Plugin& plugin;
    std::vector<Due> changes; // in frame order
    size_t next = 0;
};

// The whole input through the plug-in into the writer, a block at a time; returns the frames
// played.
int64_t play(AudioSource& input, Renderer& renderer, EventSchedule& schedule,
             ChangeSchedule& changes, SoundFileWriter& writer) {
    const int32_t blockSize = renderer.blockSize();
    std::vector<float> inputFrames(static_cast<size_t>(blockSize * input.channels()));
    std::vector<float> outputFrames(static_cast<size_t>(blockSize * renderer.outputCount()));
    ProgressBar progress(input.frames());
    int64_t position = 0;
    for (;;) {
        const auto frames = static_cast<int32_t>(
            input.read(inputFrames.data(), changes.blockLength(position, blockSize)));
        if (frames == 0) {
            break;
        }
        changes.makeDueChanges(position);
        deinterleaveInto(renderer, inputFrames, input.channels(), frames);
        renderer.processBlock(schedule.nextBlock(position, frames), position, frames);
        interleaveFrom(renderer, outputFrames, frames);
        writer.write(outputFrames.data(), frames);
        position += frames;
        progress.update(position);
    }
    progress.finish();
    return position;
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat other {};
    return stat(first.c_str(), &one) == 0 && stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Replacing an input with the output would lose it; links to it, hard or symbolic, too.
void refuseOutputThatIsAnInput(const RenderJob& job) {
    std::vector<std::string> inputs = {job.inputPath};
    if (job.midiPath) {
        inputs.push_back(*job.midiPath);
    }
    for (const std::string& input : inputs) {
        if (sameFile(job.outputPath, input)) {
            throw UsageError("cannot write " + job.outputPath + ": it is the input " + input +
                             "; name another output");
        }
    }
}

} // namespace

int runRender(const Arguments& arguments) {
    const RenderJob job = parseRenderJob(arguments);
    refuseOutputThatIsAnInput(job);
    SoundFileReader file(job.inputPath);
    const int sampleRate = job.sampleRate.value_or(file.sampleRate());
    requireRenderRate(job, sampleRate);
    const std::unique_ptr<Resampler> resampler = resamplerIfNeeded(job, file, sampleRate);
    AudioSource& input = resampler ? static_cast<AudioSource&>(*resampler) : file;
    FileType outputType = fileTypeForName(job.outputPath, {file.format() & SF_FORMAT_TYPEMASK, 0});
    if (job.encoding) {
        outputType = withEncoding(job.outputPath, outputType, *job.encoding, sampleRate);
    }
    // Before the plug-in is loaded: standard output carries nothing else once it is the output.
    PendingOutput output(job.outputPath);
    const std::unique_ptr<Plugin> plugin =
        loadPlugin(job.pluginPath, {static_cast<float>(sampleRate), job.blockSize});

    EventSchedule schedule;
    if (job.midiPath) {
        schedule.add(loadStandardMidiFile(*job.midiPath, sampleRate));
    }
    schedule.add(job.commandLineEvents.at(sampleRate));
    if (!job.settingsAfterStart) {
        applyPluginSettings(*plugin, job.plugin);
    }

    Renderer renderer(*plugin,
                      {static_cast<float>(sampleRate), job.blockSize, job.replacing, job.inPlace});
    if (job.settingsAfterStart) {
        applyPluginSettings(*plugin, job.plugin);
    }
    ChangeSchedule changes(*plugin, job.parameterChanges, sampleRate);
    SoundFileWriter writer(output, outputType, file.format(), renderer.outputCount(), sampleRate);
    noteResampling(job, file, sampleRate);
    const int64_t position = play(input, renderer, schedule, changes, writer);
    if (position == 0) {
        throw HostError("cannot render " + job.inputPath + ": it holds no audio");
    }
    writer.close();
    output.commit();
    if (!plugin->takesMidi() && !schedule.empty()) {
        std::fprintf(stderr,
                     "plughost: note: the plug-in takes no MIDI; the events were not sent\n");
    }
    warnAboutIgnoredInput(job, input.channels(), renderer.inputCount(),
                          schedule.countFrom(position), changes.remaining());
    return 0;
}

} // namespace plughost
