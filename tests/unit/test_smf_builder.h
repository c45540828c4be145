// Builds Standard MIDI Files byte by byte, for tests that need a file with known contents.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace smf {

using Bytes = std::vector<uint8_t>;

inline Bytes variableLength(uint32_t value) {
    Bytes groups{static_cast<uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0) {
        groups.insert(groups.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
    }
    return groups;
}

inline void appendBigEndian(Bytes& bytes, uint32_t value, int count) {
    for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// One track's events: a delta-time, then the event's bytes exactly as given (status optional, so
// running status can be written).
class Track {
public:
    Track& event(uint32_t delta, std::initializer_list<uint8_t> eventBytes) {
        const Bytes time = variableLength(delta);
        data.insert(data.end(), time.begin(), time.end());
        data.insert(data.end(), eventBytes.begin(), eventBytes.end());
        return *this;
    }
    Track& tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
        return event(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                             static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                             static_cast<uint8_t>(microsecondsPerQuarter)});
    }
    Track& end(uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }
    const Bytes& bytes() const { return data; }

private:
    Bytes data;
};

inline Bytes chunk(const std::string& tag, const Bytes& body) {
    Bytes bytes(tag.begin(), tag.end());
    appendBigEndian(bytes, static_cast<uint32_t>(body.size()), 4);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

inline Bytes file(uint16_t format, uint16_t division, std::initializer_list<Track> tracks) {
    Bytes header;
    appendBigEndian(header, format, 2);
    appendBigEndian(header, static_cast<uint32_t>(tracks.size()), 2);
    appendBigEndian(header, division, 2);
    Bytes bytes = chunk("MThd", header);
    for (const Track& track : tracks) {
        const Bytes trackChunk = chunk("MTrk", track.bytes());
        bytes.insert(bytes.end(), trackChunk.begin(), trackChunk.end());
    }
    return bytes;
}

} // namespace smf
