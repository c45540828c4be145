// A plug-in run on silence as a host runs it while its editor is open: block after block at the
// pace of the clock, with MIDI events handed over at their times.
#pragma once

#include "tools/plughost/formats/plugin.h"
#include "tools/plughost/playback/midievents.h"

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace plughost {

class LiveBlocks {
public:
    static constexpr float kSampleRate = 44100.0f;
    static constexpr int32_t kBlockFrames = 512;

    // Switches the plug-in on, and off again when this goes. `afterBlock` runs after each block
    // (an LV2 UI reads the plug-in's reports of that block then, before the next block replaces
    // them). Unlike a render, a plug-in without audio outputs is run too: its editor matters here.
    LiveBlocks(Plugin& plugin, const std::vector<TimedMidiEvent>& events,
               std::function<void()> afterBlock = {});
    ~LiveBlocks();
    LiveBlocks(const LiveBlocks&) = delete;
    LiveBlocks& operator=(const LiveBlocks&) = delete;

    // Runs the blocks due by now, and one ahead; time starts at the first call.
    void runDueBlocks();

private:
    Plugin& plugin;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    EventSchedule schedule;
    std::function<void()> afterBlock;
    std::optional<std::chrono::steady_clock::time_point> start;
    int64_t position = 0;
};

} // namespace plughost
