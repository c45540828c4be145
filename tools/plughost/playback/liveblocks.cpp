#include "tools/plughost/playback/liveblocks.h"

#include <algorithm>
#include <utility>

namespace plughost {
namespace {

std::vector<std::vector<float>> silentBuffers(int32_t channels) {
    return std::vector<std::vector<float>>(static_cast<size_t>(std::max(channels, 0)),
                                           std::vector<float>(LiveBlocks::kBlockFrames));
}

std::vector<float*> pointersTo(std::vector<std::vector<float>>& buffers) {
    std::vector<float*> pointers;
    for (auto& buffer : buffers) {
        pointers.push_back(buffer.data());
    }
    return pointers;
}

} // namespace

LiveBlocks::LiveBlocks(Plugin& plugin, const std::vector<TimedMidiEvent>& events,
                       std::function<void()> afterBlock)
    : plugin(plugin), inputs(silentBuffers(plugin.inputCount())),
      outputs(silentBuffers(plugin.outputCount())), inputPointers(pointersTo(inputs)),
      outputPointers(pointersTo(outputs)), afterBlock(std::move(afterBlock)) {
    schedule.add(events);
    plugin.start({kSampleRate, kBlockFrames});
}

LiveBlocks::~LiveBlocks() {
    plugin.stop();
}

void LiveBlocks::runDueBlocks() {
    const auto now = std::chrono::steady_clock::now();
    if (!start) {
        start = now;
    }
    const double elapsed = std::chrono::duration<double>(now - *start).count();
    const auto due = static_cast<int64_t>(elapsed * kSampleRate) + kBlockFrames;
    while (position < due) {
        plugin.process({inputPointers.data(), outputPointers.data(), kBlockFrames,
                        schedule.nextBlock(position, kBlockFrames), position});
        position += kBlockFrames;
        if (afterBlock) {
            afterBlock();
        }
    }
}

} // namespace plughost
