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

void ControlHandoff::requestProgramStart(const ProgramStart& programStart) {
    start.store(packStart(programStart), relaxed);
    request(kProgramStart);
}

ControlHandoff::ProgramStart ControlHandoff::programStart() const {
    const uint64_t packed = start.load(relaxed);
    return {static_cast<int32_t>(packed & 0xffff), static_cast<int32_t>(packed >> 16 & 0xffff),
            static_cast<int32_t>(packed >> 32)};
}

void ControlHandoff::publishTables(float rate) {
    // Taken back before the loop switched: the loop still reads the other set, so the one
    // published last is free to rebuild. Otherwise the loop reads the one published last.
    const uint32_t pending =
        requests.fetch_and(~(kNewTables | kSecondSet), std::memory_order_acq_rel);
    const int32_t spare = (pending & kNewTables) != 0 ? published : 1 - published;
    sets[spare].fill(rate);
    published = spare;
    request(kNewTables | (spare == 1 ? kSecondSet : 0));
}
