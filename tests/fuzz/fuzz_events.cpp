// Arbitrary event lists, as a careless host might hand them over, through processEvents and then
// process or processReplacing.
//
// Input: a 4-byte header (block size, mode bits, controller assignment), then 8 bytes per list
// entry: kind, deltaFrames (16 bits, signed), status, data 1, data 2, type, spare.
#include "effect/AGain.h"
#include "tests/unit/event_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kEntrySize = 8;

void appendEntry(EventList& events, const uint8_t* entry) {
    const auto deltaFrames = static_cast<int16_t>(entry[1] | entry[2] << 8);
    switch (entry[0] & 7) {
    case 0:
        events.nullEntry();
        break;
    case 1:
        events.otherType(entry[6], deltaFrames, entry[3], entry[4], entry[5]);
        break;
    default:
        events.midi(deltaFrames, entry[3], entry[4], entry[5]);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) {
        return 0;
    }
    const int32_t frames = (data[0] | (data[1] & 0x03) << 8) - 4; // -4 .. 1019
    const uint8_t mode = data[2];
    FilterEffect effect(quietHost);
    if (mode & 1) {
        effect.armLearning();
    }
    if (mode & 2) {
        // One controller for all three parameters: an entry per match fills the queue fast.
        const float assignment = static_cast<float>(data[3] & 0x7F) / 128.0f;
        effect.setParameter(kCcCutoff, assignment);
        effect.setParameter(kCcRezo, assignment);
        effect.setParameter(kCcSmooth, assignment);
    }
    if (mode & 4) {
        effect.setParameter(kSmoothness, 0.0f);
    }

    EventList events;
    for (std::size_t at = kHeaderSize; at + kEntrySize <= size; at += kEntrySize) {
        appendEntry(events, data + at);
    }
    VstEvents* list = events.get();
    if (mode & 8) {
        list->numEvents = -list->numEvents;
    }
    effect.processEvents(mode & 16 ? nullptr : list);

    const std::size_t length = frames > 0 ? static_cast<std::size_t>(frames) : 1;
    std::vector<float> left(length), right(length);
    for (std::size_t i = 0; i < length; ++i) {
        left[i] = static_cast<float>(i % 37) * 0.1f - 1.8f;
        right[i] = (mode & 32) ? left[i] * 4.0f : 0.0f;
    }
    std::array<float*, 2> io{left.data(), right.data()};
    for (int block = 0; block < 2; ++block) {
        if (mode & 64) {
            effect.processReplacing(io.data(), io.data(), frames);
        } else {
            effect.process(io.data(), io.data(), frames);
        }
    }
    return 0;
}
