// Audio throughput in ns per stereo frame at block size 512, table building and event reading.
// The process cases run a fixed number of blocks so that an instruction count under callgrind
// divides exactly into instructions per frame (scripts/bench.sh).
#include "bench/audioblock.h"
#include "effect/AGain.h"
#include "tests/unit/event_list.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kBlockSize = 512;
constexpr int64_t kBlocks = 20000;

// The limiter rests in the first three; the last drives it all the time.
enum class Setting { DefaultProgram, StepEverySample, CutoffControllerEveryBlock, Limiting };

template <bool replacing>
void audio(benchmark::State& state, Setting setting) {
    FilterEffect effect(quietHost);
    effect.resume();
    if (setting == Setting::StepEverySample) {
        effect.setParameter(kSmoothness, 0.0f);
    }
    if (setting == Setting::Limiting) {
        effect.setParameter(kGain, 1.0f);
    }
    AudioBlock block(kBlockSize, setting == Setting::Limiting ? 4.0f : 0.3f);
    EventList sweep[2];
    sweep[0].controlChange(0, 71, 20);
    sweep[1].controlChange(0, 71, 100);
    int64_t blocks = 0;
    for (auto _ : state) {
        if (setting == Setting::CutoffControllerEveryBlock) {
            effect.processEvents(sweep[blocks & 1].get());
        }
        if constexpr (replacing) {
            effect.processReplacing(block.inputs.data(), block.outputs.data(), kBlockSize);
        } else {
            effect.process(block.inputs.data(), block.outputs.data(), kBlockSize);
        }
        benchmark::DoNotOptimize(block.outLeft.data());
        ++blocks;
    }
    state.counters["per_frame"] =
        benchmark::Counter(static_cast<double>(blocks * kBlockSize),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void buildTables(benchmark::State& state) {
    std::vector<CoefficientRow> lowpass(kFilterRows), highpass(kFilterRows);
    for (auto _ : state) {
        fillFilterTables(lowpass.data(), highpass.data(), 44100.0f);
        benchmark::DoNotOptimize(lowpass.data());
    }
}

void readEvents(benchmark::State& state) {
    FilterEffect effect(quietHost);
    EventList events;
    for (int i = 0; i < 1000; ++i) {
        if (i % 2 == 0) {
            events.controlChange(i / 2, i % 4 == 0 ? 71 : 5, i % 128);
        } else {
            events.noteOn(i / 2, 40 + i % 70, 100);
        }
    }
    VstEvents* list = events.get();
    for (auto _ : state) {
        effect.processEvents(list);
    }
}

} // namespace

const bool audioRegistered = [] {
    const std::pair<const char*, Setting> settings[] = {
        {"default", Setting::DefaultProgram},
        {"smoothness0", Setting::StepEverySample},
        {"cutoffcc", Setting::CutoffControllerEveryBlock},
        {"limiting", Setting::Limiting},
    };
    for (const auto& [name, setting] : settings) {
        benchmark::RegisterBenchmark((std::string("process/") + name).c_str(), audio<false>,
                                     setting)
            ->Iterations(kBlocks);
        benchmark::RegisterBenchmark((std::string("processReplacing/") + name).c_str(), audio<true>,
                                     setting)
            ->Iterations(kBlocks);
    }
    return true;
}();

BENCHMARK(buildTables)->Name("buildFilterTables");
BENCHMARK(readEvents)->Name("processEvents/1000");
