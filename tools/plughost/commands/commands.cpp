#include "tools/plughost/commands/commands.h"

#include <algorithm>

namespace plughost {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"list", runList, "", "every plug-in plughost finds by name, one a line",
         R"(Lists the LV2 plug-ins on LV2_PATH (lilv's default folders when it is not set) and
the VST 2 plug-ins in the folders a bare name is looked up in (see plughost --help),
one a line: its format, its name, and its URI (LV2) or its file (VST 2). Each VST 2
library is loaded in a process of its own to read its name; one that cannot be loaded
is left out.
)"},
        {"info", runInfo, "PLUGIN.so [--param N=V ...] [--program N] [--preset NAME]",
         "the plug-in as a host sees it: record, capabilities, parameters, programs",
         R"(Prints the plug-in's name, format, URI or path, class and UIs (a UI library
that is missing is said so); for VST 2 its record with its flags decoded and its
answers to the MIDI capability questions, for LV2 its bundle, ports and features;
its parameters (index, LV2 symbol, name, value, display text, unit, range,
default, properties, labels) and its programs or presets. With --program, --preset
and --param, the texts show those settings. Text from the plug-in is shown with
control characters escaped (\n, \x1b).

  --param N=V        set parameter N (its index or name; for LV2 also its symbol)
                     to V, within its range: 0 to 1 for VST 2, in the port's units
                     for LV2; or one of its labels (LPF, OFF); repeatable
  --program N        select program N (LV2: preset N as info lists them) first;
                     --param then applies to it
  --preset NAME      select the program or preset of that name instead
)"},
        {"render", runRender,
         "PLUGIN.so IN OUT [--param N=V ...] [--program N] [--preset NAME] "
         "[--param-at N=V@TIME ...] [--midi FILE.mid] [--cc C:V@TIME ...] "
         "[--note NOTE@TIME[,vel=V][,len=TIME] ...] [--bits 16|24|32f] [--block N] [--rate R] "
         "[--replacing] [--in-place] [--params-after-start]",
         "plays an audio file through the plug-in",
         R"(Reads IN (any format libsndfile reads; a mono file feeds every input) and writes
the plug-in's output to OUT (- for standard output). OUT's format follows its
extension (.wav, .flac, .ogg, .aiff, .mp3 ...; IN's format when it has none),
keeping IN's sample format where that format holds it, else 32-bit float, 24-bit or
16-bit. OUT must not be IN or the MIDI file.

  --param N=V        set parameter N (its index or name, as info lists them) to V,
                     0 to 1 (LV2: in the port's units), or a label; repeatable
  --program N        select program N first; --param then applies to it
  --preset NAME      select the program or preset of that name instead
  --param-at N=V@TIME
                     set parameter N to V at TIME: the block is split there;
                     repeatable
  --midi FILE.mid    play a Standard MIDI File along (format 0 or 1)
  --cc C:V@TIME      controller C to value V at TIME, channel 1; repeatable
  --note NOTE@TIME[,vel=V][,len=TIME]
                     note-on at TIME, channel 1, velocity V (1 to 127, default
                     100); with len, its note-off (velocity 64) that long after
                     (default: no note-off); repeatable. NOTE is a number 0 to
                     127 or a name, C4 being 60 (middle C): C-1 to G9, sharps
                     with #, flats with b (F#3, Bb2)
  --bits B           OUT's sample format: 16, 24 (bit integers) or 32f (32-bit
                     float); default as described above
  --block N          block size (default 512)
  --rate R           sample rate, 8000 to 768000 Hz (default IN's); IN at another
                     rate is resampled to R first (libsamplerate, best quality)
  --replacing        call processReplacing (default: process into a cleared buffer;
                     LV2 plug-ins always replace)
  --in-place         the outputs are the input buffers, as some hosts pass them
                     (VST 2: processReplacing)
  --params-after-start
                     apply --program and --param after the sample rate is set and
                     the plug-in switched on, as some hosts do (default: before;
                     LV2 plug-ins read their ports at each run, so it changes
                     nothing for them)

TIME is frames (88200), seconds (2s, 2.5s) or milliseconds (1500ms); seconds count
at the render's rate and are rounded to the nearest frame (halves up).
)"},
        {"response", runResponse,
         "PLUGIN.so OUT.png [--param N=V ...] [--program N] [--preset NAME] "
         "[--csv FILE] [--rate R] [--output N]",
         "the magnitude response at the given settings, as a plot",
         R"(Sends an impulse at -60 dBFS after half a second of silence and plots the
spectrum of one output from 20 Hz to 20 kHz, as .png, .svg or .pdf (by OUT's
extension; - for a PNG on standard output).

  --param N=V        set parameter N (its index or name) to V, 0 to 1 (LV2: in
                     the port's units), or a label; repeatable
  --program N        select program N first; --param then applies to it
  --preset NAME      select the program or preset of that name instead
  --csv FILE         also write the values, one row per frequency
  --rate R           sample rate, 8000 to 768000 Hz (default 44100)
  --output N         the output measured, from 1 (default 1)
)"},
        {"generate", runGenerate, "OUT [--seconds S] [--rate R]",
         "writes a bright stereo test input (a sawtooth chord)",
         R"(Writes a 16-bit stereo sawtooth chord; the format follows OUT's extension
(default WAV; - for standard output).

  --seconds S        length, 0.1 to 3600 (default 4)
  --rate R           sample rate, 8000 to 768000 Hz (default 44100)
)"},
        {"screenshot", runScreenshot,
         "PLUGIN.so OUT.png [--param N=V ...] [--program N] [--preset NAME]",
         "the plug-in's editor as a PNG",
         R"(Opens the editor (a VST 2 editor, or an LV2 plug-in's X11 UI) in a window of
plughost's own, idles it until it has painted and writes the window's pixels as
a PNG (- for standard output). Without DISPLAY it uses a private Xvfb.

  --param N=V        set parameter N (its index or name) to V, 0 to 1 (LV2: in
                     the port's units), or a label; repeatable
  --program N        select program N first; --param then applies to it
  --preset NAME      select the program or preset of that name instead
)"},
        {"gui", runGui,
         "PLUGIN.so [--param N=V ...] [--program N] [--preset NAME] [--cc C:V@TIME ...] "
         "[--note NOTE@TIME[,vel=V][,len=TIME] ...] [--frames N]",
         "the editor in a window, every request to the host printed",
         R"(Opens the editor in a window on your display, switched on and idled 30 times a
second, until the window is closed or Ctrl-C is pressed. Every request a VST 2
plug-in makes to its host, or every port write, message and gesture (ui:touch)
an LV2 plug-in's X11 UI sends, is printed as it comes. The plug-in runs on
silence meanwhile, in blocks of 512 frames at 44100 Hz at the clock's pace, so
that what the editor sends reaches it and what it reports reaches the editor.

  --param N=V        set parameter N (its index or name) to V, 0 to 1 (LV2: in
                     the port's units), or a label; repeatable
  --program N        select program N first; --param then applies to it
  --preset NAME      select the program or preset of that name instead
  --cc C:V@TIME      controller C to value V, channel 1, TIME after the editor
                     opens (as for render: 88200, 2s, 1500ms); repeatable
  --note NOTE@TIME[,vel=V][,len=TIME]
                     a note as for render, TIME after the editor opens;
                     repeatable
  --frames N         close after N idle passes

To finish MIDI learn here: give the controller a time late enough to press the
editor's learn switch first (e.g. --cc 74:64@5s), or repeat it (@5s, @10s, ...).
)"},
    };
    return table;
}

const Command* findCommand(std::string_view name) {
    const auto& table = commands();
    const auto found = std::find_if(table.begin(), table.end(), [name](const Command& command) {
        return command.name == name;
    });
    return found == table.end() ? nullptr : &*found;
}

std::string usageOf(std::string_view name) {
    const Command* command = findCommand(name);
    const std::string synopsis(command != nullptr ? command->synopsis : "");
    return "usage: plughost " + std::string(name) + (synopsis.empty() ? "" : " " + synopsis);
}

} // namespace plughost
