#include "tools/plughost/files/smf.h"

#include "tools/plughost/formats/vst2library.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

namespace plughost {
namespace {

constexpr uint32_t kDefaultMicrosecondsPerQuarter = 500000;
// Frames beyond this are far past any render; clamping keeps the conversion defined.
constexpr double kLastFrame = 9.0e15;

struct TempoChange {
    uint64_t tick;
    uint32_t microsecondsPerQuarter;
};

struct TickedMessage {
    uint64_t tick;
    std::array<uint8_t, 3> data;
};

struct Track {
    std::vector<TickedMessage> messages;
    std::vector<TempoChange> tempoChanges;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes(bytes) {}

    bool atEnd() const { return position >= bytes.size(); }
    size_t remaining() const { return bytes.size() - position; }

    uint8_t byte(const char* what) {
        if (atEnd()) {
            throw SmfError(std::string("file ends inside ") + what);
        }
        return bytes[position++];
    }
    uint8_t peek(const char* what) const {
        if (atEnd()) {
            throw SmfError(std::string("file ends inside ") + what);
        }
        return bytes[position];
    }
    uint32_t bigEndian(size_t count, const char* what) {
        uint32_t value = 0;
        for (size_t i = 0; i < count; ++i) {
            value = (value << 8) | byte(what);
        }
        return value;
    }
    // Variable-length quantity: seven bits per byte, at most four bytes.
    uint32_t variableLength(const char* what) {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t next = byte(what);
            value = (value << 7) | (next & 0x7F);
            if ((next & 0x80) == 0) {
                return value;
            }
        }
        throw SmfError(std::string("variable-length number longer than four bytes in ") + what);
    }
    std::span<const uint8_t> take(size_t count, const char* what) {
        if (count > remaining()) {
            throw SmfError(std::string("file ends inside ") + what);
        }
        const auto taken = bytes.subspan(position, count);
        position += count;
        return taken;
    }

private:
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

bool hasTag(std::span<const uint8_t> tag, const char* expected) {
    return std::memcmp(tag.data(), expected, 4) == 0;
}

std::string hexByte(uint8_t value) {
    constexpr char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[value >> 4] + digits[value & 0x0F];
}

size_t dataBytesOf(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

void readMetaEvent(ByteReader& reader, uint64_t tick, Track& track, bool& ended) {
    const uint8_t type = reader.byte("a meta event");
    const uint32_t length = reader.variableLength("a meta event");
    const auto data = reader.take(length, "a meta event");
    if (type == 0x2F) {
        ended = true;
    } else if (type == 0x51) {
        if (length != 3) {
            throw SmfError("tempo event with " + std::to_string(length) + " bytes instead of 3");
        }
        const uint32_t tempo = (uint32_t{data[0]} << 16) | (uint32_t{data[1]} << 8) | data[2];
        track.tempoChanges.push_back({tick, tempo});
    }
}

Track readTrack(std::span<const uint8_t> chunk) {
    ByteReader reader(chunk);
    Track track;
    uint64_t tick = 0;
    std::optional<uint8_t> runningStatus;
    bool ended = false;
    while (!reader.atEnd() && !ended) {
        tick += reader.variableLength("a delta-time");
        uint8_t status = reader.peek("an event");
        if (status & 0x80) {
            reader.byte("an event");
        } else if (runningStatus) {
            status = *runningStatus;
        } else {
            throw SmfError("data byte without a status byte (no running status in effect)");
        }
        if (status == 0xFF) {
            runningStatus.reset();
            readMetaEvent(reader, tick, track, ended);
        } else if (status == 0xF0 || status == 0xF7) {
            runningStatus.reset();
            reader.take(reader.variableLength("a system-exclusive event"),
                        "a system-exclusive event");
        } else if (status >= 0xF0) {
            throw SmfError("system message " + hexByte(status) + " inside a track");
        } else {
            runningStatus = status;
            TickedMessage message{tick, {status, 0, 0}};
            for (size_t i = 0; i < dataBytesOf(status); ++i) {
                const uint8_t data = reader.byte("a channel message");
                if (data & 0x80) {
                    throw SmfError("channel message cut short by a status byte");
                }
                message.data[1 + i] = data;
            }
            track.messages.push_back(message);
        }
    }
    return track;
}

// Turns ticks into frames through the tempo changes of all tracks.
class TempoMap {
public:
    TempoMap(std::vector<TempoChange> changes, uint16_t division, double sampleRate)
        : sampleRate(sampleRate) {
        if (division & 0x8000) {
            // Time code: frames per second (negative in the high byte) times ticks per frame.
            const int framesPerSecond = -static_cast<int8_t>(division >> 8);
            const int ticksPerFrame = division & 0xFF;
            if (framesPerSecond <= 0 || ticksPerFrame == 0) {
                throw SmfError("invalid time-code division");
            }
            const double rate = framesPerSecond == 29 ? 29.97 : framesPerSecond;
            fixedSecondsPerTick = 1.0 / (rate * ticksPerFrame);
            return;
        }
        if (division == 0) {
            throw SmfError("division of 0 ticks per quarter note");
        }
        ticksPerQuarter = division;
        std::stable_sort(
            changes.begin(), changes.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        segments.push_back({0, 0.0, kDefaultMicrosecondsPerQuarter});
        for (const TempoChange& change : changes) {
            const Segment& last = segments.back();
            segments.push_back({change.tick, last.secondsAt(change.tick, ticksPerQuarter),
                                change.microsecondsPerQuarter});
        }
    }

    int64_t frameOf(uint64_t tick) const {
        const double seconds = fixedSecondsPerTick
                                   ? static_cast<double>(tick) * *fixedSecondsPerTick
                                   : metricalSeconds(tick);
        return static_cast<int64_t>(std::min(std::round(seconds * sampleRate), kLastFrame));
    }

private:
    // From its start tick on, until the next change, one tempo holds.
    struct Segment {
        uint64_t startTick;
        double startSeconds;
        uint32_t microsecondsPerQuarter;

        double secondsAt(uint64_t tick, uint32_t ticksPerQuarter) const {
            return startSeconds + static_cast<double>(tick - startTick) * microsecondsPerQuarter /
                                      (1.0e6 * ticksPerQuarter);
        }
    };

    double metricalSeconds(uint64_t tick) const {
        // The last segment starting at or before the tick; the first one starts at tick 0.
        const auto after = std::upper_bound(
            segments.begin(), segments.end(), tick,
            [](uint64_t value, const Segment& segment) { return value < segment.startTick; });
        return std::prev(after)->secondsAt(tick, ticksPerQuarter);
    }

    double sampleRate;
    uint32_t ticksPerQuarter = 0;
    std::optional<double> fixedSecondsPerTick;
    std::vector<Segment> segments;
};

} // namespace

std::vector<TimedMidiEvent> readStandardMidiFile(std::span<const uint8_t> bytes,
                                                 double sampleRate) {
    ByteReader reader(bytes);
    if (reader.remaining() < 4 || !hasTag(reader.take(4, "the header"), "MThd")) {
        throw SmfError("not a Standard MIDI File (no MThd header)");
    }
    const uint32_t headerLength = reader.bigEndian(4, "the header");
    if (headerLength < 6) {
        throw SmfError("header chunk shorter than 6 bytes");
    }
    ByteReader header(reader.take(headerLength, "the header"));
    const uint32_t format = header.bigEndian(2, "the header");
    const uint32_t trackCount = header.bigEndian(2, "the header");
    const auto division = static_cast<uint16_t>(header.bigEndian(2, "the header"));
    if (format > 1) {
        throw SmfError("format " + std::to_string(format) +
                       " files are not supported (only 0 and 1)");
    }

    std::vector<Track> tracks;
    while (tracks.size() < trackCount && !reader.atEnd()) {
        const auto tag = reader.take(4, "a chunk header");
        const uint32_t length = reader.bigEndian(4, "a chunk header");
        const auto chunk = reader.take(length, "a track chunk");
        if (hasTag(tag, "MTrk")) {
            tracks.push_back(readTrack(chunk));
        }
    }
    if (tracks.size() < trackCount) {
        throw SmfError("header announces " + std::to_string(trackCount) + " tracks, file holds " +
                       std::to_string(tracks.size()));
    }

    std::vector<TempoChange> tempoChanges;
    for (const Track& track : tracks) {
        tempoChanges.insert(tempoChanges.end(), track.tempoChanges.begin(),
                            track.tempoChanges.end());
    }
    const TempoMap tempoMap(std::move(tempoChanges), division, sampleRate);
    std::vector<TickedMessage> merged;
    for (const Track& track : tracks) {
        merged.insert(merged.end(), track.messages.begin(), track.messages.end());
    }
    std::stable_sort(
        merged.begin(), merged.end(),
        [](const TickedMessage& a, const TickedMessage& b) { return a.tick < b.tick; });
    std::vector<TimedMidiEvent> events;
    events.reserve(merged.size());
    for (const TickedMessage& message : merged) {
        events.push_back({tempoMap.frameOf(message.tick), message.data});
    }
    return events;
}

std::vector<TimedMidiEvent> loadStandardMidiFile(const std::string& path, double sampleRate) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw HostError("cannot read MIDI file " + path + ": " + std::strerror(errno));
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>()};
    if (file.bad()) {
        throw HostError("cannot read MIDI file " + path + ": read error");
    }
    try {
        return readStandardMidiFile(bytes, sampleRate);
    } catch (const SmfError& error) {
        throw HostError("cannot read MIDI file " + path + ": " + error.what());
    }
}

} // namespace plughost
