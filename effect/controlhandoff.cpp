#include "effect/controlhandoff.h"

void FilterTableSet::fill(float rate) {
    fillFilterTables(lowpass, highpass, rate);
    sampleRate = rate;
}

ControlHandoff::ControlHandoff(float sampleRate) {
    sets[0].fill(sampleRate);
}

void ControlHandoff::requestProgramStart(const ProgramStart& programStart) {
    start.cutoffRow.store(programStart.cutoffRow, relaxed);
    start.resonanceStep.store(programStart.resonanceStep, relaxed);
    start.stepCountdown.store(programStart.stepCountdown, relaxed);
    request(kProgramStart);
}

void ControlHandoff::publishTables(float rate) {
    // Taken back before the loop switched: the loop still reads the other set, so the one
    // published last is free to rebuild. Otherwise the loop reads the one published last.
    const uint32_t pending = requests.fetch_and(~kNewTables, std::memory_order_acq_rel);
    const int32_t last = published.load(relaxed);
    const int32_t spare = (pending & kNewTables) != 0 ? last : 1 - last;
    sets[spare].fill(rate);
    published.store(spare, relaxed);
    request(kNewTables);
}
