// Events and changes placed in time on the command line (--cc, --note, --param-at): times in
// frames or seconds, notes by number or name. They become frames once the rate of the run is
// known, which for render is only once its input is open.
#pragma once

#include "tools/plughost/commands/options.h"
#include "tools/plughost/playback/midievents.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plughost {

// A time as given: frames ("88200"), seconds ("2s", "2.5s") or milliseconds ("1500ms").
class CommandLineTime {
public:
    // Throws UsageError naming `argument` (the option and its value) for anything else.
    static CommandLineTime parse(const std::string& text, const std::string& argument);
    // Seconds are rounded to the nearest frame at this rate, halves up.
    int64_t frameAt(int sampleRate) const;

private:
    CommandLineTime(double amount, double perSecond) : amount(amount), perSecond(perSecond) {}

    double amount;
    double perSecond; // 1 for seconds, 1000 for milliseconds, 0 for frames
};

struct ParameterChange {
    ParameterSetting setting;
    CommandLineTime at;
};

// "N=V@TIME": the setting at that time of a render.
ParameterChange parseParameterChange(const std::string& text);

// The --cc and --note options of one command, in command-line order:
//   --cc C:V@TIME                   control change C to value V on channel 1
//   --note NOTE@TIME[,vel=V][,len=TIME]
//                                   note-on on channel 1, velocity V (default 100), and its
//                                   note-off after the length when one is given
// A note is a number (60) or a name (C4, F#3, Bb2; C4 is 60).
class MidiEventOptions {
public:
    // Throws UsageError, naming the argument, for one that is malformed.
    explicit MidiEventOptions(const CommandLine& line);

    bool empty() const { return messages.empty(); }
    // The messages at frames of a run at this rate: the note-offs first, so that a note-off and
    // a note-on of the same note on one frame end the old note before the new one starts; then
    // the rest in command-line order.
    std::vector<TimedMidiEvent> at(int sampleRate) const;

private:
    struct Message {
        CommandLineTime at;
        std::optional<CommandLineTime> after; // a note-off's length after `at`
        std::array<uint8_t, 3> data;
    };

    void addControlChange(const std::string& text);
    void addNote(const std::string& text);

    std::vector<Message> messages;
};

} // namespace plughost
