// The Standard MIDI File reader: timing through the tempo map, running status, track merging,
// and a clear refusal of malformed files.
#include "tests/unit/test_smf_builder.h"
#include "tools/plughost/files/smf.h"

#include <gtest/gtest.h>

using plughost::readStandardMidiFile;
using plughost::SmfError;
using plughost::TimedMidiEvent;

namespace {

constexpr double kRate = 48000.0;

TimedMidiEvent at(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
    return {frame, {status, data1, data2}};
}

smf::Bytes withTrackCount(smf::Bytes bytes, uint8_t count) {
    bytes[11] = count; // low byte of the header's track count
    return bytes;
}

smf::Bytes withRawTrack(const smf::Bytes& body) {
    smf::Bytes bytes = withTrackCount(smf::file(0, 96, {}), 1);
    const smf::Bytes track = smf::chunk("MTrk", body);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

std::vector<TimedMidiEvent> read(const smf::Bytes& bytes, double rate = kRate) {
    return readStandardMidiFile(bytes, rate);
}

} // namespace

TEST(Smf, DefaultTempoIsHalfASecondPerQuarter) {
    const auto events = read(smf::file(0, 96, {smf::Track().event(96, {0x90, 60, 100}).end()}));
    EXPECT_EQ(events, std::vector{at(24000, 0x90, 60, 100)});
}

TEST(Smf, RunningStatusRepeatsTheLastChannelStatus) {
    const auto events = read(smf::file(0, 480,
                                       {smf::Track()
                                            .event(0, {0x91, 60, 100})
                                            .event(480, {62, 90})
                                            .event(0, {0xC1, 5})
                                            .event(240, {7})
                                            .end()}));
    EXPECT_EQ(events, (std::vector{at(0, 0x91, 60, 100), at(24000, 0x91, 62, 90),
                                   at(24000, 0xC1, 5), at(36000, 0xC1, 7)}));
}

TEST(Smf, TempoChangesInTheFirstTrackTimeEveryTrack) {
    // 96 ticks at 120 bpm (0.5 s), then 240 bpm: tick 192 lies at 0.75 s.
    const auto events =
        read(smf::file(1, 96,
                       {smf::Track().tempo(0, 500000).tempo(96, 250000).end(),
                        smf::Track().event(48, {0xB0, 71, 10}).event(144, {0x90, 69, 1}).end()}));
    EXPECT_EQ(events, (std::vector{at(12000, 0xB0, 71, 10), at(36000, 0x90, 69, 1)}));
}

TEST(Smf, TempoChangeAtAnEventsTickTimesTheTicksAfterIt) {
    const auto events =
        read(smf::file(1, 100,
                       {smf::Track().tempo(100, 1000000).end(),
                        smf::Track().event(100, {0x90, 1, 1}).event(100, {0x90, 2, 1}).end()}));
    EXPECT_EQ(events, (std::vector{at(24000, 0x90, 1, 1), at(72000, 0x90, 2, 1)}));
}

TEST(Smf, TracksMergeInTimeOrderAndKeepTrackOrderOnOneTick) {
    const auto events =
        read(smf::file(1, 96,
                       {smf::Track().event(10, {0xB0, 1, 1}).event(10, {0xB0, 2, 2}).end(),
                        smf::Track().event(5, {0xB0, 3, 3}).event(15, {0xB0, 4, 4}).end()}));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].data[1], 3);
    EXPECT_EQ(events[1].data[1], 1);
    EXPECT_EQ(events[2].data[1], 2); // both at tick 20: the first track's first
    EXPECT_EQ(events[3].data[1], 4);
}

TEST(Smf, TimeCodeDivisionCountsFramesPerSecond) {
    // 25 frames per second, 40 ticks per frame: one tick per millisecond.
    const uint16_t division = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
    const auto events =
        read(smf::file(0, division, {smf::Track().event(500, {0x80, 60, 0}).end()}), 44100.0);
    EXPECT_EQ(events, std::vector{at(22050, 0x80, 60, 0)});
}

TEST(Smf, MetaAndSystemExclusiveEventsAreSkipped) {
    const auto events = read(smf::file(0, 96,
                                       {smf::Track()
                                            .event(0, {0xFF, 0x03, 0x04, 'n', 'a', 'm', 'e'})
                                            .event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7})
                                            .event(96, {0xE0, 0x00, 0x40})
                                            .end()}));
    EXPECT_EQ(events, std::vector{at(24000, 0xE0, 0x00, 0x40)});
}

TEST(Smf, UnknownChunksAreSkippedAndEndOfTrackStopsReading) {
    smf::Bytes bytes = withTrackCount(smf::file(0, 96, {}), 1);
    const smf::Bytes extra = smf::chunk("XTRA", {1, 2, 3});
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    const smf::Bytes track = smf::chunk(
        "MTrk", smf::Track().event(0, {0x90, 1, 1}).end().event(0, {0x90, 2, 2}).bytes());
    bytes.insert(bytes.end(), track.begin(), track.end());
    EXPECT_EQ(read(bytes), std::vector{at(0, 0x90, 1, 1)});
}

TEST(Smf, MalformedFilesAreRefusedWithTheReason) {
    const smf::Track note = smf::Track().event(0, {0x90, 60, 100}).end();
    struct Case {
        const char* name;
        smf::Bytes bytes;
        const char* reason;
    };
    smf::Bytes truncated = smf::file(0, 96, {note});
    truncated.resize(truncated.size() - 3);
    smf::Bytes shortHeader = smf::chunk("MThd", {0, 0, 0, 1});
    const std::vector<Case> cases = {
        {"empty", {}, "no MThd header"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "no MThd header"},
        {"short header", shortHeader, "shorter than 6 bytes"},
        {"format 2", smf::file(2, 96, {note}), "format 2"},
        {"division 0", smf::file(0, 0, {note}), "division of 0"},
        {"truncated track", truncated, "file ends inside a track chunk"},
        {"missing track", withTrackCount(smf::file(1, 96, {note}), 2), "announces 2 tracks"},
        {"data without status", smf::file(0, 96, {smf::Track().event(0, {60, 100}).end()}),
         "data byte without a status byte"},
        {"running status after meta",
         smf::file(
             0, 96,
             {smf::Track().event(0, {0x90, 60, 1}).event(0, {0xFF, 0x01, 0x00}).event(0, {61, 1})}),
         "data byte without a status byte"},
        {"long delta", withRawTrack({0x80, 0x80, 0x80, 0x80, 0x00}), "longer than four bytes"},
        {"cut message", smf::file(0, 96, {smf::Track().event(0, {0x90, 60, 0x90, 61, 1})}),
         "cut short"},
        {"system common", smf::file(0, 96, {smf::Track().event(0, {0xF2, 0, 0})}), "0xF2"},
        {"bad tempo", smf::file(0, 96, {smf::Track().event(0, {0xFF, 0x51, 0x02, 1, 2})}),
         "tempo event with 2 bytes"},
    };
    for (const Case& c : cases) {
        try {
            read(c.bytes);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const SmfError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.name << ": " << error.what();
        }
    }
}

TEST(Smf, FarAwayEventsStayOrderedWithoutOverflow) {
    // Maximal delta-times at the slowest tempo and the finest division run far past any render.
    smf::Track track;
    track.tempo(0, 0xFFFFFF);
    for (int i = 0; i < 64; ++i) {
        track.event(0x0FFFFFFF, {0x90, static_cast<uint8_t>(i), 1});
    }
    const auto events = read(smf::file(0, 1, {track.end()}), 768000.0);
    ASSERT_EQ(events.size(), 64u);
    for (size_t i = 1; i < events.size(); ++i) {
        EXPECT_GE(events[i].frame, events[i - 1].frame);
    }
    EXPECT_GT(events.front().frame, 0);
}
