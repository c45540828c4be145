// Builds a host's VstEvents list of any length: the record declares two event pointers, a host
// allocates room for as many as it hands over.
#pragma once

#include "frame/aeffect.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class EventList {
public:
    void midi(int32_t deltaFrames, int status, int data1, int data2) {
        VstMidiEvent& event = events.emplace_back();
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = deltaFrames;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        slots.push_back(&events.back());
    }
    void noteOn(int32_t deltaFrames, int note, int velocity, int channel = 0) {
        midi(deltaFrames, 0x90 | channel, note, velocity);
    }
    void controlChange(int32_t deltaFrames, int controller, int value, int channel = 0) {
        midi(deltaFrames, 0xB0 | channel, controller, value);
    }
    // An event of another type, laid out like a MIDI event so that misreading it would act.
    void otherType(int32_t type, int32_t deltaFrames, int status, int data1, int data2) {
        midi(deltaFrames, status, data1, data2);
        events.back().type = type;
    }
    void nullEntry() { slots.push_back(nullptr); }

    std::size_t size() const { return slots.size(); }
    void clear() {
        events.clear();
        slots.clear();
    }

    // The list as a host hands it over; valid until the next change.
    VstEvents* get() {
        const std::size_t words = offsetof(VstEvents, events) / sizeof(intptr_t) + slots.size() + 1;
        storage.assign(words, 0);
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<int32_t>(slots.size());
        VstEvent** pointers = list->events;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            pointers[i] = reinterpret_cast<VstEvent*>(slots[i]);
        }
        return list;
    }

private:
    std::deque<VstMidiEvent> events;
    std::vector<VstMidiEvent*> slots;
    std::vector<intptr_t> storage;
};
