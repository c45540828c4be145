// The LV2 build's run against the VST 2 build's replacing entry on the same input, in alternating
// passes within one run, so that both sides see the same machine: the counter lv2_over_vst is
// the median of the pass ratios (1.00 = the same cost).
#include "bench/audioblock.h"
#include "effect/AGain.h"
#include "tests/unit/event_list.h"
#include "tests/unit/lv2_host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kBlockSize = 512;
constexpr int32_t kBlocksPerPass = 16;
constexpr int64_t kPasses = 2000;
constexpr int kCutoffController = 71;
constexpr int kLowCutoff = 20;
constexpr int kHighCutoff = 100;
constexpr float kNoiseLevel = 0.3f;

// Both faces with blocks of their own, holding the same input and, with the sweep, the same
// cutoff controller alternating between two values at the start of every block. The VST 2 face
// is the LV2 build's twin: every parameter set after switching on, as the LV2 build applies its
// ports (Smoothness by the knob's law, which steps more often than a program's).
class Faces {
public:
    explicit Faces(bool sweep) : sweep(sweep) {
        effect.resume();
        for (int32_t index = 0; index < kNumParams; ++index) {
            effect.setParameter(index, parameterValueOfPort(index, portDefault(index)));
        }
        lv2.connectAudio(lv2Block.inputs.data(), lv2Block.outputs.data());
        vstSweep[0].controlChange(0, kCutoffController, kLowCutoff);
        vstSweep[1].controlChange(0, kCutoffController, kHighCutoff);
        lv2Sweep[0].midi(0, {0xB0, kCutoffController, kLowCutoff});
        lv2Sweep[1].midi(0, {0xB0, kCutoffController, kHighCutoff});
    }

    void runVst(int64_t block) {
        if (sweep) {
            effect.processEvents(vstSweep[block & 1].get());
        }
        effect.processReplacing(vstBlock.inputs.data(), vstBlock.outputs.data(), kBlockSize);
    }
    void runLv2(int64_t block) {
        // The plug-in only reads its control sequence.
        lv2.connect(kLv2Control,
                    sweep ? const_cast<uint8_t*>(lv2Sweep[block & 1].data().data()) : nullptr);
        lv2.run(kBlockSize);
    }

    const float* vstSamples() const { return vstBlock.outLeft.data(); }
    const float* lv2Samples() const { return lv2Block.outLeft.data(); }

private:
    bool sweep;
    AudioBlock vstBlock{kBlockSize, kNoiseLevel}, lv2Block{kBlockSize, kNoiseLevel};
    FilterEffect effect{quietHost};
    Lv2Instance lv2;
    EventList vstSweep[2];
    AtomSequence lv2Sweep[2];
};

template <typename Blocks>
double passSeconds(Blocks&& runBlocks) {
    const auto start = std::chrono::steady_clock::now();
    runBlocks();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void formats(benchmark::State& state, bool sweep) {
    Faces faces(sweep);
    std::vector<double> ratios;
    ratios.reserve(kPasses);
    double vstSeconds = 0.0;
    double lv2Seconds = 0.0;
    int64_t block = 0;
    for (auto _ : state) {
        const auto vstPass = [&] {
            for (int32_t i = 0; i < kBlocksPerPass; ++i) {
                faces.runVst(block + i);
            }
            benchmark::DoNotOptimize(faces.vstSamples());
        };
        const auto lv2Pass = [&] {
            for (int32_t i = 0; i < kBlocksPerPass; ++i) {
                faces.runLv2(block + i);
            }
            benchmark::DoNotOptimize(faces.lv2Samples());
        };
        // Either side goes first every other pass, so that neither always finds the caches
        // warmed by the other.
        double vst = 0.0;
        double lv2 = 0.0;
        if ((ratios.size() & 1) != 0) {
            lv2 = passSeconds(lv2Pass);
            vst = passSeconds(vstPass);
        } else {
            vst = passSeconds(vstPass);
            lv2 = passSeconds(lv2Pass);
        }
        block += kBlocksPerPass;
        vstSeconds += vst;
        lv2Seconds += lv2;
        ratios.push_back(lv2 / vst);
    }
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    const double frames = static_cast<double>(block) * kBlockSize;
    state.counters["vst_ns_per_frame"] = vstSeconds * 1e9 / frames;
    state.counters["lv2_ns_per_frame"] = lv2Seconds * 1e9 / frames;
    state.counters["lv2_over_vst"] = ratios[ratios.size() / 2];
}

} // namespace

const bool formatsRegistered = [] {
    for (const auto& [name, sweep] : {std::pair{"default", false}, std::pair{"cutoffcc", true}}) {
        benchmark::RegisterBenchmark((std::string("lv2RunVersusReplacing/") + name).c_str(),
                                     formats, sweep)
            ->Iterations(kPasses);
    }
    return true;
}();
