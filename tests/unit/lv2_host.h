// A host for the LV2 plug-in in the tests and the fuzzer: a URID map with fixed numbers, the
// plug-in instantiated through its descriptor with its parameter ports at their defaults, atom
// sequences built byte by byte (also broken ones), and the learn reports read back from notify.
#pragma once

#include "lv2/filterplugin.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

// The URIs the plug-in reads and writes have the numbers of their place in kKnown, from 1, so
// that a fuzzer's input can name them; the map gives others numbers after those.
class TestUridMap {
public:
    enum Urid : LV2_URID {
        kSequence = 1,
        kFrameTime,
        kBeatTime,
        kMidiEvent,
        kObject,
        kBlank,
        kInt,
        kLong,
        kLearn,
        kParameter,
        kLearned,
        kController,
        kSequenceSize,
    };

    TestUridMap() { others.reserve(64); }
    TestUridMap(const TestUridMap&) = delete;
    TestUridMap& operator=(const TestUridMap&) = delete;

    LV2_URID_Map* feature() { return &map; }
    LV2_URID urid(const char* uri) {
        static constexpr const char* kKnown[] = {LV2_ATOM__Sequence,
                                                 LV2_ATOM__frameTime,
                                                 LV2_ATOM__beatTime,
                                                 LV2_MIDI__MidiEvent,
                                                 LV2_ATOM__Object,
                                                 LV2_ATOM__Blank,
                                                 LV2_ATOM__Int,
                                                 LV2_ATOM__Long,
                                                 kLv2LearnUri,
                                                 kLv2ParameterUri,
                                                 kLv2LearnedUri,
                                                 kLv2ControllerUri,
                                                 LV2_BUF_SIZE__sequenceSize};
        const auto known = std::find_if(std::begin(kKnown), std::end(kKnown),
                                        [uri](auto k) { return std::strcmp(k, uri) == 0; });
        if (known != std::end(kKnown)) {
            return static_cast<LV2_URID>(known - std::begin(kKnown) + 1);
        }
        const auto other = std::find(others.begin(), others.end(), uri);
        if (other == others.end()) {
            others.emplace_back(uri);
            return static_cast<LV2_URID>(kSequenceSize + others.size());
        }
        return static_cast<LV2_URID>(kSequenceSize + 1 + (other - others.begin()));
    }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<TestUridMap*>(handle)->urid(uri);
    }

    LV2_URID_Map map{this, mapUri};
    std::vector<std::string> others;
};

// Bytes of an atom sequence, event by event; every field can be set to anything.
class AtomSequence {
public:
    AtomSequence() { header(TestUridMap::kSequence, TestUridMap::kFrameTime); }

    void header(LV2_URID type, LV2_URID unit) {
        bytes.resize(std::max(bytes.size(), sizeof(LV2_Atom_Sequence)));
        put(offsetof(LV2_Atom, type), type);
        put(sizeof(LV2_Atom), unit);
        put(sizeof(LV2_Atom) + sizeof(uint32_t), uint32_t{0});
        fitSize();
    }
    // The size the sequence claims, whatever it holds.
    void claimSize(uint32_t size) { put(offsetof(LV2_Atom, size), size); }

    void event(int64_t frame, LV2_URID type, const std::vector<uint8_t>& body,
               uint32_t claimedSize) {
        const std::size_t at = bytes.size();
        bytes.resize(at + sizeof(LV2_Atom_Event));
        put(at, frame);
        put(at + sizeof(int64_t), claimedSize);
        put(at + sizeof(int64_t) + sizeof(uint32_t), type);
        bytes.insert(bytes.end(), body.begin(), body.end());
        bytes.resize(lv2_atom_pad_size(static_cast<uint32_t>(bytes.size())));
        fitSize();
    }
    void event(int64_t frame, LV2_URID type, const std::vector<uint8_t>& body) {
        event(frame, type, body, static_cast<uint32_t>(body.size()));
    }
    void midi(int64_t frame, const std::vector<uint8_t>& message) {
        event(frame, TestUridMap::kMidiEvent, message);
    }
    // An object with one int property: the learn message when otype is kLearn and the key
    // kParameter.
    void object(int64_t frame, LV2_URID otype, LV2_URID key, LV2_URID valueType, int32_t value) {
        const LV2_Atom_Object_Body head{0, otype};
        const LV2_Atom_Property_Body property{key, 0, {sizeof(int32_t), valueType}};
        std::vector<uint8_t> body(sizeof head + sizeof property + sizeof(int64_t));
        std::memcpy(body.data(), &head, sizeof head);
        std::memcpy(body.data() + sizeof head, &property, sizeof property);
        std::memcpy(body.data() + sizeof head + sizeof property, &value, sizeof value);
        event(frame, TestUridMap::kObject, body);
    }
    void learn(int64_t frame, int32_t parameter) {
        object(frame, TestUridMap::kLearn, TestUridMap::kParameter, TestUridMap::kInt, parameter);
    }

    // The bytes as built; a copy of exactly this size is what the plug-in gets in the tests, so
    // that a read past them is a read past the buffer.
    const std::vector<uint8_t>& data() const { return bytes; }
    void truncate(std::size_t size) { bytes.resize(size); }

private:
    template <typename Field>
    void put(std::size_t at, Field value) {
        std::memcpy(bytes.data() + at, &value, sizeof value);
    }
    void fitSize() { claimSize(static_cast<uint32_t>(bytes.size() - sizeof(LV2_Atom))); }

    std::vector<uint8_t> bytes;
};

// What the plug-in reported on notify: a controller parameter's learned controller at a frame.
struct LearnReport {
    int64_t frame;
    int32_t parameter;
    int32_t controller;
    bool operator==(const LearnReport&) const = default;
};

// The reports in a notify buffer, read as a host reads them.
inline std::vector<LearnReport> learnReports(const LV2_Atom_Sequence* notify) {
    std::vector<LearnReport> reports;
    if (notify->atom.type != TestUridMap::kSequence) {
        return reports;
    }
    LV2_ATOM_SEQUENCE_FOREACH(notify, event) {
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
        const LV2_Atom* parameter = nullptr;
        const LV2_Atom* controller = nullptr;
        lv2_atom_object_get(object, TestUridMap::kParameter, &parameter, TestUridMap::kController,
                            &controller, 0);
        if (event->body.type == TestUridMap::kObject &&
            object->body.otype == TestUridMap::kLearned && parameter != nullptr &&
            controller != nullptr) {
            reports.push_back({event->time.frames,
                               reinterpret_cast<const LV2_Atom_Int*>(parameter)->body,
                               reinterpret_cast<const LV2_Atom_Int*>(controller)->body});
        }
    }
    return reports;
}

struct Lv2Setup {
    bool withMap = true;
    // The host's sequence size in its options; 0 gives none.
    int32_t sequenceSize = 0;
    double sampleRate = 44100.0;
};

// One instance with its parameter ports at their defaults; the test connects the rest.
class Lv2Instance {
public:
    explicit Lv2Instance(const Lv2Setup& setup = {}) {
        sequenceSize = setup.sequenceSize;
        const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, TestUridMap::kSequenceSize,
                                               sizeof(int32_t), TestUridMap::kInt, &sequenceSize},
                                              {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature mapFeature{LV2_URID__map, urids.feature()};
        const LV2_Feature optionsFeature{
            LV2_OPTIONS__options,
            const_cast<LV2_Options_Option*>(setup.sequenceSize > 0 ? options : options + 1)};
        const LV2_Feature* features[] = {&optionsFeature, setup.withMap ? &mapFeature : nullptr,
                                         nullptr};
        handle = descriptor.instantiate(&descriptor, setup.sampleRate, "", features);
        if (handle != nullptr) {
            for (uint32_t k = 0; k < kNumParams; ++k) {
                parameters[k] = portDefault(static_cast<int32_t>(k));
                connect(kLv2FirstParameter + k, &parameters[k]);
            }
            descriptor.activate(handle);
        }
    }
    ~Lv2Instance() {
        if (handle != nullptr) {
            descriptor.cleanup(handle);
        }
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool valid() const { return handle != nullptr; }
    void connect(uint32_t port, void* data) { descriptor.connect_port(handle, port, data); }
    void connectAudio(const float* const* inputs, float* const* outputs) {
        connect(kLv2InLeft, const_cast<float*>(inputs[0]));
        connect(kLv2InRight, const_cast<float*>(inputs[1]));
        connect(kLv2OutLeft, outputs[0]);
        connect(kLv2OutRight, outputs[1]);
    }
    void activate() { descriptor.activate(handle); }
    LV2_URID urid(const char* uri) { return urids.urid(uri); }
    void run(uint32_t frames) { descriptor.run(handle, frames); }
    float& parameter(int32_t index) { return parameters[index]; }

private:
    const LV2_Descriptor& descriptor = filterPluginDescriptor();
    TestUridMap urids;
    int32_t sequenceSize = 0;
    float parameters[kNumParams] = {};
    LV2_Handle handle = nullptr;
};

// A notify port's buffer with `capacity` bytes of room announced in its header.
class NotifyBuffer {
public:
    explicit NotifyBuffer(uint32_t capacity) : words(capacity / sizeof(uint64_t) + 2) {
        reset(capacity);
    }
    void reset(uint32_t capacity) {
        std::fill(words.begin(), words.end(), 0);
        sequence()->atom.size = capacity;
    }
    LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(words.data()); }
    std::vector<LearnReport> reports() { return learnReports(sequence()); }

private:
    std::vector<uint64_t> words;
};
