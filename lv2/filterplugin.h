// The filter as an LV2 plug-in instance: the ports the host connects, each block's port changes
// applied before its events, the `control` sequence turned into the core's MIDI events and learn
// requests, learned controllers reported on `notify`, and the core's audio loop. Without the
// host's URID map the atom ports are left alone and the plug-in still filters.
#pragma once

#include "effect/filtercore.h"
#include "lv2/controlreader.h"
#include "lv2/notifysequence.h"
#include "lv2/ports.h"
#include "lv2/urids.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <cstdint>
#include <optional>

class FilterPlugin final : private LearnListener, private ControlReceiver {
public:
    // Null for a sample rate the core refuses, or when memory is short.
    static FilterPlugin* create(double sampleRate, const LV2_Feature* const* features);

    void connectPort(uint32_t port, void* data);
    // Switching on: the core resumes, and the next block applies every port and starts the
    // glide at its targets, as the first block does.
    void activate();
    void run(uint32_t sampleCount);

private:
    explicit FilterPlugin(const LV2_Feature* const* features);

    float portValue(int32_t index) const;
    void startAtPorts();
    void applyParameterPorts();
    void readControl(int32_t frames);
    void processAudio(int32_t frames);
    void midiEvent(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2) override;
    void learnRequested(int32_t frame, int32_t parameter) override;
    void controllerLearned(int32_t parameter, int32_t controller, int32_t frame) override;

    FilterCore core;
    const float* inputs[2] = {};
    float* outputs[2] = {};
    const LV2_Atom_Sequence* control = nullptr;
    LV2_Atom_Sequence* notifyPort = nullptr;
    const float* parameterPorts[kNumParams] = {};

    // The bit patterns last applied, so that a port holding not a number applies once.
    uint32_t appliedBits[kNumParams] = {};
    bool startPending = true;

    // With the host's URID map only.
    std::optional<Lv2Urids> urids;
    std::optional<NotifySequence> notify;
    // The host's sequence buffer size, when its options tell it: the most of `control` read.
    uint32_t sequenceCapacity = UINT32_MAX;
};

// The descriptor the bundle's library hands to hosts.
const LV2_Descriptor& filterPluginDescriptor();
