#include "effect/controlhandoff.h"

void FilterTableSet::fill(float rate) {
    fillFilterTables(lowpass, highpass, rate);
    sampleRate = rate;
}

ControlHandoff::ControlHandoff(float sampleRate) {
    sets[0].fill(sampleRate);
}

namespace {

static_assert(kFilterRows <= 0x10000);

// The row and the step (each below 2^16: rows below kFilterRows, steps 1..128) in the low word,
// the countdown (a positive int32) in the high word.
constexpr uint64_t packStart(const ControlHandoff::ProgramStart& start) {
    return uint64_t{static_cast<uint32_t>(start.stepCountdown)} << 32 |
           (static_cast<uint32_t>(start.resonanceStep) & 0xffff) << 16 |
           (static_cast<uint32_t>(start.cutoffRow) & 0xffff);
}

} // namespace

void ControlHandoff::Host::requestProgramStart(const ProgramStart& programStart) {
    shared.start.store(packStart(programStart), relaxed);
    request(kProgramStart);
}

uint32_t ControlHandoff::Loop::take() {
    if (shared.requests.load(relaxed) == 0) {
        return 0;
    }
    // Acquires what the requests carry; releases the loop's reads of a set it leaves.
    const uint32_t asked = shared.requests.exchange(0, std::memory_order_acq_rel);
    if ((asked & kNewTables) != 0) {
        shared.loopTables = &shared.sets[(asked & kSecondSet) != 0 ? 1 : 0];
    }
    return asked & ~kSecondSet;
}

ControlHandoff::ProgramStart ControlHandoff::Loop::programStart() const {
    const uint64_t packed = shared.start.load(relaxed);
    return {static_cast<int32_t>(packed & 0xffff), static_cast<int32_t>(packed >> 16 & 0xffff),
            static_cast<int32_t>(packed >> 32)};
}

void ControlHandoff::Host::publishTables(float rate) {
    // Taken back before the loop switched: the loop still reads the other set, so the one
    // published last is free to rebuild. Otherwise the loop reads the one published last.
    const uint32_t pending =
        shared.requests.fetch_and(~(kNewTables | kSecondSet), std::memory_order_acq_rel);
    const int32_t spare = (pending & kNewTables) != 0 ? shared.published : 1 - shared.published;
    shared.sets[spare].fill(rate);
    shared.published = spare;
    request(kNewTables | (spare == 1 ? kSecondSet : 0));
}
