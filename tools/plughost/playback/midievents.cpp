#include "tools/plughost/playback/midievents.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace plughost {

void EventSchedule::add(const TimedMidiEvent& event) {
    if (!events.empty() && event.frame < events.back().frame) {
        sorted = false;
    }
    events.push_back(event);
}

void EventSchedule::add(std::span<const TimedMidiEvent> moreEvents) {
    for (const TimedMidiEvent& event : moreEvents) {
        add(event);
    }
}

void EventSchedule::sortIfNeeded() {
    if (!sorted) {
        std::stable_sort(
            events.begin(), events.end(),
            [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.frame < b.frame; });
        sorted = true;
    }
}

std::span<const TimedMidiEvent> EventSchedule::nextBlock(int64_t start, int32_t frames) {
    sortIfNeeded();
    while (cursor < events.size() && events[cursor].frame < start) {
        ++cursor;
    }
    const size_t first = cursor;
    while (cursor < events.size() && events[cursor].frame < start + frames) {
        ++cursor;
    }
    return std::span<const TimedMidiEvent>(events).subspan(first, cursor - first);
}

size_t EventSchedule::countFrom(int64_t frame) const {
    return static_cast<size_t>(
        std::count_if(events.begin(), events.end(),
                      [frame](const TimedMidiEvent& event) { return event.frame >= frame; }));
}

VstEvents* VstEventBlock::fill(std::span<const TimedMidiEvent> events, int64_t blockStart) {
    midiEvents.assign(events.size(), VstMidiEvent{});
    for (size_t i = 0; i < events.size(); ++i) {
        VstMidiEvent& midi = midiEvents[i];
        midi.type = kVstMidiType;
        midi.byteSize = sizeof(VstMidiEvent);
        midi.deltaFrames = static_cast<int32_t>(events[i].frame - blockStart);
        for (size_t byte = 0; byte < events[i].data.size(); ++byte) {
            midi.midiData[byte] = static_cast<char>(events[i].data[byte]);
        }
    }
    constexpr size_t header = offsetof(VstEvents, events);
    // The list is an array of pointers to the events.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    const size_t needed = std::max(sizeof(VstEvents), header + events.size() * sizeof(VstEvent*));
    if (needed > listCapacity) {
        listStorage = std::make_unique<std::byte[]>(needed); // new[] aligns for any scalar
        listCapacity = needed;
    }
    std::memset(listStorage.get(), 0, listCapacity);
    auto* list = new (listStorage.get()) VstEvents{};
    list->numEvents = static_cast<int32_t>(events.size());
    // The declared array holds two pointers; the list continues past it in the same storage.
    auto* slots = reinterpret_cast<VstEvent**>(listStorage.get() + header);
    for (size_t i = 0; i < midiEvents.size(); ++i) {
        slots[i] = reinterpret_cast<VstEvent*>(&midiEvents[i]);
    }
    return list;
}

} // namespace plughost
