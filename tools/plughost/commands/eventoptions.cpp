#include "tools/plughost/commands/eventoptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace plughost {
namespace {

constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kDefaultVelocity = 100;
// The release velocity of a keyboard that does not sense one.
constexpr uint8_t kReleaseVelocity = 64;
// Past any render (three centuries at the highest rate), and every frame before it exact in a
// double.
constexpr double kLastFrame = 0x1p53;

struct TimeUnit {
    std::string_view suffix;
    double perSecond; // 0 for frames
};
constexpr std::array kTimeUnits = {TimeUnit{"ms", 1000.0}, TimeUnit{"s", 1.0}, TimeUnit{"", 0.0}};

// The text's whole number, or nothing when it is not all one.
template <typename Number>
std::optional<Number> wholeText(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

uint8_t parseDataByte(const std::string& text, const std::string& what) {
    return static_cast<uint8_t>(parseInteger(text, what, 0, 127));
}

// Semitones above C of the note letters A to G.
constexpr std::array<int, 7> kLetterSemitones = {9, 11, 0, 2, 4, 5, 7};

// "C4", "F#3", "Bb2", "c-1": the letter in either case, a sharp or a flat, the octave.
std::optional<int> noteNumberOfName(const std::string& name) {
    const char letter =
        name.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G') {
        return std::nullopt;
    }
    int semitone = kLetterSemitones[static_cast<size_t>(letter - 'A')];
    size_t octaveStart = 1;
    if (name.size() > 2 && (name[1] == '#' || name[1] == 'b')) {
        semitone += name[1] == '#' ? 1 : -1;
        octaveStart = 2;
    }
    const std::optional<int> octave = wholeText<int>(std::string_view(name).substr(octaveStart));
    if (!octave || *octave < -1 || *octave > 9) {
        return std::nullopt;
    }
    return (*octave + 1) * 12 + semitone;
}

// A note number 0 to 127, or a name with its octave: C4 is 60, C-1 is 0 and G9 is 127.
uint8_t parseNote(const std::string& text, const std::string& argument) {
    if (wholeText<long long>(text)) {
        return parseDataByte(text, "note number");
    }
    const std::optional<int> number = noteNumberOfName(text);
    if (!number || *number < 0 || *number > 127) {
        throw UsageError("bad note '" + text + "' in " + argument +
                         ": give a number 0 to 127 or a name from C-1 to G9 such as C4, F#3 or "
                         "Bb2 (C4 is 60)");
    }
    return static_cast<uint8_t>(*number);
}

} // namespace

CommandLineTime CommandLineTime::parse(const std::string& text, const std::string& argument) {
    const auto refuse = [&](const std::string& reason) {
        return UsageError("bad time '" + text + "' in " + argument + ": " + reason);
    };
    const std::string_view view(text);
    // The empty suffix, frames, matches any text: it comes last.
    const TimeUnit& unit =
        *std::find_if(kTimeUnits.begin(), kTimeUnits.end(), [view](const TimeUnit& candidate) {
            return view.ends_with(candidate.suffix);
        });
    const std::string_view number = view.substr(0, view.size() - unit.suffix.size());
    const std::optional<double> amount = wholeText<double>(number);
    if (!amount || !std::isfinite(*amount)) {
        throw refuse("give frames (88200), seconds (2s, 2.5s) or milliseconds (1500ms)");
    }
    if (*amount < 0.0) {
        throw refuse("a time is 0 or later");
    }
    if (unit.perSecond == 0.0 && std::floor(*amount) != *amount) {
        throw refuse("frames are whole; for seconds add s (" + std::string(number) + "s)");
    }
    if ((unit.perSecond == 0.0 ? *amount : *amount / unit.perSecond * kHighestSampleRate) >
        kLastFrame) {
        throw refuse("too late a time");
    }
    return {*amount, unit.perSecond};
}

int64_t CommandLineTime::frameAt(int sampleRate) const {
    if (perSecond == 0.0) {
        return static_cast<int64_t>(amount);
    }
    return std::llround(amount * sampleRate / perSecond);
}

ParameterChange parseParameterChange(const std::string& text) {
    const auto [setting, time] = splitAt(text, '@', "N=V@TIME");
    return {parseParameterSetting(setting), CommandLineTime::parse(time, "--param-at " + text)};
}

MidiEventOptions::MidiEventOptions(const CommandLine& line) {
    for (const auto& [option, value] : line.options()) {
        if (option == "--cc") {
            addControlChange(value);
        } else if (option == "--note") {
            addNote(value);
        }
    }
}

void MidiEventOptions::addControlChange(const std::string& text) {
    const auto [message, time] = splitAt(text, '@', "C:V@TIME");
    const auto [controller, value] = splitAt(message, ':', "C:V@TIME");
    messages.push_back({CommandLineTime::parse(time, "--cc " + text),
                        std::nullopt,
                        {kControlChange, parseDataByte(controller, "controller number"),
                         parseDataByte(value, "controller value")}});
}

void MidiEventOptions::addNote(const std::string& text) {
    const std::string argument = "--note " + text;
    const auto [name, rest] = splitAt(text, '@', "NOTE@TIME[,vel=V][,len=TIME]");
    const uint8_t note = parseNote(name, argument);
    const auto comma = rest.find(',');
    const CommandLineTime start = CommandLineTime::parse(rest.substr(0, comma), argument);
    uint8_t velocity = kDefaultVelocity;
    std::optional<CommandLineTime> length;
    for (auto at = comma; at != std::string::npos;) {
        const auto next = rest.find(',', at + 1);
        const std::string item = rest.substr(at + 1, next - at - 1);
        if (item.starts_with("vel=")) {
            velocity = static_cast<uint8_t>(parseInteger(item.substr(4), "note velocity", 1, 127));
        } else if (item.starts_with("len=")) {
            length = CommandLineTime::parse(item.substr(4), argument);
        } else {
            throw UsageError("bad note option '" + item + "' in " + argument +
                             ": give vel=1..127 or len=TIME");
        }
        at = next;
    }
    messages.push_back({start, std::nullopt, {kNoteOn, note, velocity}});
    if (length) {
        messages.push_back({start, length, {kNoteOff, note, kReleaseVelocity}});
    }
}

std::vector<TimedMidiEvent> MidiEventOptions::at(int sampleRate) const {
    std::vector<TimedMidiEvent> offs;
    std::vector<TimedMidiEvent> rest;
    for (const Message& message : messages) {
        const int64_t start = message.at.frameAt(sampleRate);
        // A note shorter than a frame still ends after it starts.
        const int64_t frame = message.after
                                  ? start + std::max<int64_t>(message.after->frameAt(sampleRate), 1)
                                  : start;
        (message.after ? offs : rest).push_back({frame, message.data});
    }
    offs.insert(offs.end(), rest.begin(), rest.end());
    return offs;
}

} // namespace plughost
