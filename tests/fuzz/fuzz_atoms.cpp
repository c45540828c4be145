// Arbitrary bytes as the LV2 plug-in's control sequence, read on their own and through run.
//
// Input: a 4-byte header (block size, mode bits, notify room in 8-byte units), then the bytes
// of the control port's buffer. With the host's sequence size in the options the plug-in reads
// at most the bytes given, whatever the sequence claims; without it the host is honest and the
// sequence claims what it holds.
#include "lv2/controlreader.h"
#include "tests/unit/lv2_host.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 4;

// What the reader passes on must lie in the block, in order, and name a controller parameter (or
// none).
class CheckingReceiver : public ControlReceiver {
public:
    explicit CheckingReceiver(int32_t frames) : last(frames > 0 ? frames - 1 : 0) {}

    void midiEvent(int32_t frame, uint8_t, uint8_t, uint8_t) override { check(frame); }
    void learnRequested(int32_t frame, int32_t parameter) override {
        check(frame);
        if (!isControllerParameter(parameter) && parameter != kLearnNone) {
            std::abort();
        }
    }

private:
    void check(int32_t frame) {
        if (frame < previous || frame > last) {
            std::abort();
        }
        previous = frame;
    }

    int32_t last;
    int32_t previous = 0;
};

void readAlone(const std::vector<uint8_t>& control, int32_t frames) {
    static TestUridMap map;
    static const Lv2Urids urids = *Lv2Urids::map(*map.feature());
    CheckingReceiver receiver(frames);
    readControlSequence(control.data(), static_cast<uint32_t>(control.size()), frames, urids,
                        receiver);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kHeaderSize + sizeof(LV2_Atom)) {
        return 0;
    }
    const int32_t frames = data[0] | (data[1] & 0x03) << 8; // 0 .. 1023
    const uint8_t mode = data[2];
    const bool sizeOption = (mode & 1) != 0;
    std::vector<uint8_t> control(data + kHeaderSize, data + size);
    if (!sizeOption) {
        const auto holds = static_cast<uint32_t>(control.size() - sizeof(LV2_Atom));
        reinterpret_cast<LV2_Atom*>(control.data())->size = holds;
    }
    readAlone(control, frames);

    Lv2Instance lv2({.withMap = (mode & 2) == 0,
                     .sequenceSize = sizeOption ? static_cast<int32_t>(control.size()) : 0});
    if (!lv2.valid()) {
        return 0;
    }
    const uint32_t room = data[3] * 8u;
    NotifyBuffer notify(room);
    std::vector<float> left(static_cast<std::size_t>(frames) + 1, 0.25f);
    std::vector<float> right(left.size(), -0.5f);
    std::array<float*, 2> io{left.data(), right.data()};
    lv2.connectAudio(io.data(), io.data());
    if ((mode & 4) == 0) {
        lv2.connect(kLv2Control, control.data());
    }
    if ((mode & 8) == 0) {
        lv2.connect(kLv2Notify, notify.sequence());
    }
    for (int block = 0; block < 2; ++block) {
        notify.reset(room);
        lv2.run(static_cast<uint32_t>(frames));
        if (learnReports(notify.sequence()).size() > room / 72) {
            std::abort();
        }
        if (mode & 16) {
            lv2.activate();
        }
        if (mode & 32) {
            lv2.parameter(kCcCutoff) = static_cast<float>(data[3]);
            lv2.parameter(kSmoothness) = static_cast<float>(data[0]) - 20.0f;
        }
    }
    return 0;
}
