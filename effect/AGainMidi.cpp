#include "effect/AGain.h"

namespace {

constexpr int32_t kNoteOn = 0x90;
constexpr int32_t kControlChange = 0xB0;
constexpr int32_t kAllNotesOff = 123;
// Reading stops here so that every event keeps one queue entry and the end mark fits.
constexpr int32_t kLastReadPosition = 1022;
constexpr int32_t kLowestNote = 45;
constexpr int32_t kHighestNote = 105;
constexpr int32_t kRowsPerNote = 80;
constexpr double kOneOver127 = static_cast<double>(0.007874015718698502f);

int32_t clampNote(int32_t note) {
    if (note < kLowestNote) {
        return kLowestNote;
    }
    return note > kHighestNote ? kHighestNote : note;
}

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
        running.cutoffRow = (clampNote(d1) - kLowestNote) * kRowsPerNote;
        if (running.cutoffRow > kLastFilterRow) {
            running.cutoffRow = kLastFilterRow;
        }
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
        notifyEditor(kLearnedController, static_cast<float>(controller * 0.0078125));
    }
    if (controller == ccRezo.load(relaxed)) {
        running.resonance = value == 0 ? 1 : value;
        queueChange(running);
    }
    if (controller == ccCutoff.load(relaxed)) {
        running.cutoffRow = value * kLastFilterRow / 127;
        queueChange(running);
    }
    if (controller == ccSmooth.load(relaxed)) {
        running.stepInterval = squaredLawInterval(value * kOneOver127);
        queueChange(running);
    }
}

// Entries that would not fit beside the end mark are dropped.
void FilterEffect::queueChange(const ControlEvent& change) {
    if (eventCount < kEventQueueCapacity - 1) {
        eventQueue[eventCount++] = change;
    }
}
