// The editor's drawing costs on the headless platform: a full paint of the panel, and an idle
// pass when nothing changed (what every host idle costs while the panel just sits there). The
// argument of a paint is the scale the window shows the panel at.
#include "editor/editor.h"
#include "effect/AGain.h"
#include "gui/platform/headless/headless.h"

#include <benchmark/benchmark.h>

namespace {

intptr_t quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// An effect whose editor is open in a headless window and has painted once.
class OpenEditor {
public:
    explicit OpenEditor(int32_t scale = 1) {
        platform.setEditorScale(scale);
        setPlatform(&platform);
        effect.dispatcher(effEditOpen, 0, 0, &parent, 0.0f);
        platform.lastWindow()->queueExpose();
        effect.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    }
    ~OpenEditor() {
        effect.dispatcher(effEditClose, 0, 0, nullptr, 0.0f);
        setPlatform(nullptr);
    }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

    AudioEffect& plugin() { return effect; }
    HeadlessWindow& window() { return *platform.lastWindow(); }

private:
    HeadlessPlatform platform;
    FilterEffect effect{quietHost};
    int parent = 0;
};

void BM_FullEditorPaint(benchmark::State& state) {
    OpenEditor editor(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        editor.window().queueExpose();
        editor.plugin().dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    }
}
BENCHMARK(BM_FullEditorPaint)->Arg(1)->Arg(2)->Arg(4);

void BM_IdleWithNothingChanged(benchmark::State& state) {
    OpenEditor editor;
    for (auto _ : state) {
        editor.plugin().dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    }
}
BENCHMARK(BM_IdleWithNothingChanged);

void BM_IdleAfterAParameterChange(benchmark::State& state) {
    OpenEditor editor(static_cast<int32_t>(state.range(0)));
    float value = 0.0f;
    for (auto _ : state) {
        value = value > 0.9f ? 0.0f : value + 0.01f;
        editor.plugin().setParameter(kFrequency, value);
        editor.plugin().dispatcher(effEditIdle, 0, 0, nullptr, 0.0f);
    }
}
BENCHMARK(BM_IdleAfterAParameterChange)->Arg(1)->Arg(2)->Arg(4);

} // namespace
