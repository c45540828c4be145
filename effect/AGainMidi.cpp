#include "effect/AGain.h"

namespace {

constexpr int32_t kNoteOn = 0x90;
constexpr int32_t kControlChange = 0xB0;
constexpr int32_t kAllNotesOff = 123;
// Reading stops here so that every event keeps one queue entry and the end mark fits.
constexpr int32_t kLastReadPosition = 1022;

} // namespace

int32_t FilterEffect::processEvents(VstEvents* events) {
    constexpr auto relaxed = std::memory_order_relaxed;
    eventCount = 0;
    ControlEvent running{0, resonanceTarget.load(relaxed), cutoffTarget.load(relaxed),
                         stepInterval.load(relaxed)};
    const int32_t count = events != nullptr ? events->numEvents : 0;
    // The host allocates as many pointers as it announces; the record declares only two.
    VstEvent* const* list = events != nullptr ? events->events : nullptr;
    for (int32_t position = 0; position < count; ++position) {
        const VstEvent* event = list[position];
        if (event == nullptr || event->type != kVstMidiType) {
            continue;
        }
        if (position >= kLastReadPosition) {
            break;
        }
        readMidiEvent(*reinterpret_cast<const VstMidiEvent*>(event), running);
    }
    eventQueue[eventCount].sampleOffset = -1;
    return 1;
}

void FilterEffect::readMidiEvent(const VstMidiEvent& event, ControlEvent& running) {
    const int32_t status = static_cast<unsigned char>(event.midiData[0]) & 0xF0;
    const int32_t d1 = static_cast<signed char>(event.midiData[1]);
    const int32_t d2 = static_cast<signed char>(event.midiData[2]);
    running.sampleOffset = event.deltaFrames;
    if (status == kNoteOn && d2 != 0) {
        running.cutoffRow = cutoffRowOfNote(d1);
        queueChange(running);
    } else if (status == kControlChange) {
        readControlChange(d1, d2 & 0x7F, running);
    }
}

void FilterEffect::readControlChange(int32_t controller, int32_t value, ControlEvent& running) {
    constexpr auto relaxed = std::memory_order_relaxed;
    // Only a well-formed controller number is learned: a stray byte must not re-arm learning.
    if (learnedController.load(std::memory_order_acquire) == -1 && controller != kAllNotesOff &&
        controller >= 0) {
        learnedController.store(controller, relaxed);
        notifyEditor(kLearnedController, controllerValue(controller));
    }
    if (controller == ccRezo.load(relaxed)) {
        running.resonance = resonanceStepOfData(value);
        queueChange(running);
    }
    if (controller == ccCutoff.load(relaxed)) {
        running.cutoffRow = cutoffRowOfData(value);
        queueChange(running);
    }
    if (controller == ccSmooth.load(relaxed)) {
        running.stepInterval = squaredLawInterval(smoothnessOfData(value));
        queueChange(running);
    }
}

// Entries that would not fit beside the end mark are dropped.
void FilterEffect::queueChange(const ControlEvent& change) {
    if (eventCount < kEventQueueCapacity - 1) {
        eventQueue[eventCount++] = change;
    }
}
